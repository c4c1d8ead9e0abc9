#include "prepare/InstallSystem.h"

#include "prepare/InstallRule.h"
#include "prepare/PrepareHost.h"
#include "prepare/Registry.h"
#include "win/Paths.h"
#include "win/Unicode.h"

namespace vorlund {
namespace {

using win::OpenFile;

constexpr DWORD kMarkerLimit = 256; // far more than any marker's text

std::optional<std::string> markerText(const std::string& path) {
    win::File file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    char text[kMarkerLimit];
    DWORD length = 0;
    if (!file || !ReadFile(file.get(), text, kMarkerLimit, &length, nullptr))
        return std::nullopt;
    return std::string(text, length);
}

} // namespace

std::optional<int64_t> InstallSystem::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::Wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool InstallSystem::IsFile(const std::string& path) {
    return win::IsFile(path);
}

bool InstallSystem::IsDirectory(const std::string& path) {
    return win::IsDirectory(path);
}

void InstallSystem::CreateDirectories(const std::string& path) {
    win::CreateDirectoryChain(path);
}

std::vector<std::string> InstallSystem::FindFiles(const std::string& pattern) {
    return win::FileNames(pattern);
}

Status InstallSystem::ProbeReplace(const std::string& path) {
    const win::File probe = OpenFile(path, DELETE, 0, OPEN_EXISTING);
    return Status::Of(static_cast<bool>(probe));
}

Status InstallSystem::ClearReadOnly(const std::string& path) {
    const std::wstring wide = win::Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return {};
    return Status::Of(SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY));
}

Opened InstallSystem::OpenSource(const std::string& path) {
    // Read once from start to end: the cache may read ahead and drop behind.
    // A publish may rename it meanwhile: this handle keeps reading the bytes
    // it opened, and their hash proves them.
    return Opened::Of(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN));
}

bool InstallSystem::NamesSameFile(HANDLE file, const std::string& path) {
    return win::SameFile(file, path);
}

Status InstallSystem::Size(HANDLE file, int64_t& size) {
    LARGE_INTEGER end{}, zero{};
    if (!SetFilePointerEx(file, zero, &end, FILE_END))
        return Status::Of(false);
    size = end.QuadPart;
    return Status::Of(SetFilePointerEx(file, zero, nullptr, FILE_BEGIN));
}

Opened InstallSystem::CreatePartial(const std::string& path) {
    return Opened::Of(OpenFile(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_ALWAYS));
}

// A piece moved short (the end of a file that shrank, a full disk that
// reports no error) is a failure of its own.
Status InstallSystem::Read(HANDLE file, char* buffer, DWORD length) {
    DWORD done = 0;
    if (!ReadFile(file, buffer, length, &done, nullptr))
        return Status::Of(false);
    return {done == length ? ERROR_SUCCESS : static_cast<DWORD>(ERROR_HANDLE_EOF)};
}

Status InstallSystem::Write(HANDLE file, const char* buffer, DWORD length) {
    DWORD done = 0;
    if (!WriteFile(file, buffer, length, &done, nullptr))
        return Status::Of(false);
    return {done == length ? ERROR_SUCCESS : static_cast<DWORD>(ERROR_DISK_FULL)};
}

Status InstallSystem::Flush(HANDLE file) {
    return Status::Of(FlushFileBuffers(file));
}

Status InstallSystem::Close(win::File& file) {
    return Status::Of(file.close());
}

Status InstallSystem::Rename(HANDLE partial, const std::string& to) {
    const std::wstring name = win::Wide(to);
    const size_t nameBytes = name.size() * sizeof(wchar_t);
    // The structure ends in the name, which it carries beyond its own size.
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(name.begin(), name.end(), info->FileName);
    return Status::Of(SetFileInformationByHandle(partial, FileRenameInfo, info,
                                                 static_cast<DWORD>(buffer.size())));
}

Status InstallSystem::Remove(const std::string& path) {
    return Status::Of(DeleteFileW(win::Wide(path).c_str()));
}

Status InstallSystem::WriteNew(const std::string& path, const std::string& bytes) {
    win::File file = OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW);
    if (!file)
        return Status::Of(false);
    if (const Status written = Write(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()));
        !written.ok())
        return written;
    if (const Status flushed = Flush(file.get()); !flushed.ok())
        return flushed;
    return Status::Of(file.close());
}

Status InstallSystem::WriteMarker(const std::string& path, int32_t version,
                                  const std::optional<InstalledProof>& proof) {
    win::File file = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        return Status::Of(false);
    const std::string text = VersionMarkerText(version, proof);
    if (const Status written = Write(file.get(), text.data(), static_cast<DWORD>(text.size()));
        !written.ok())
        return written;
    return Status::Of(file.close());
}

std::optional<int32_t> InstallSystem::ReadMarker(const std::string& path) {
    const std::optional<std::string> text = markerText(path);
    return text ? ParseVersionMarker(*text) : std::nullopt;
}

std::optional<InstalledProof> InstallSystem::ReadMarkerProof(const std::string& path) {
    const std::optional<std::string> text = markerText(path);
    return text ? ParseMarkerProof(*text) : std::nullopt;
}

std::optional<int32_t> InstallSystem::ReadVersion(TRegistry& registry) {
    if (!registry.ValueExists("Version"))
        return std::nullopt;
    return registry.ReadInteger("Version");
}

void InstallSystem::WriteVersion(TRegistry& registry, int32_t version) {
    registry.WriteInteger("Version", version);
}

void InstallSystem::Pause(PrepareHost& host, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        host.ProcessMessages();
    }
}

InstallSystem& InstallSystem::Real() {
    static InstallSystem real;
    return real;
}

} // namespace vorlund

#include "win/Paths.h"

#include "win/Unicode.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace vorlund::win {

bool IsFile(const std::string& path) {
    const DWORD attr = GetFileAttributesW(Wide(path).c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path) {
    const DWORD attr = GetFileAttributesW(Wide(path).c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// Opened for its identity only, which no sharing refuses.
File openForIdentity(const std::string& path) {
    return OpenFile(path, FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS);
}

// A file's identity: its volume and its id there, the 128-bit id where the
// system has one (ReFS needs it; from Windows 8), else the 64-bit index.
// Empty where the file system gives none (some servers answer 0).
struct Identity {
    uint64_t volume = 0;
    uint8_t id[16] = {};
    bool known = false;
    bool operator==(const Identity&) const = default;
};

Identity identityOf(HANDLE file) {
    struct IdInfo { // FILE_ID_INFO, which the headers give from Windows 8 on
        ULONGLONG volume;
        BYTE id[16];
    } info{};
    constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
    Identity identity;
    if (GetFileInformationByHandleEx(file, kFileIdInfo, &info, sizeof info)) {
        identity.volume = info.volume;
        std::memcpy(identity.id, info.id, sizeof identity.id);
    } else if (BY_HANDLE_FILE_INFORMATION old{}; GetFileInformationByHandle(file, &old)) {
        identity.volume = old.dwVolumeSerialNumber;
        const uint64_t index = (uint64_t{old.nFileIndexHigh} << 32) | old.nFileIndexLow;
        std::memcpy(identity.id, &index, sizeof index);
    } else {
        return {};
    }
    identity.known = std::any_of(std::begin(identity.id), std::end(identity.id),
                                 [](uint8_t b) { return b != 0; });
    return identity;
}

} // namespace

bool SameFile(HANDLE file, const std::string& path) {
    const File other = openForIdentity(path);
    if (!other)
        return false;
    const Identity x = identityOf(file), y = identityOf(other.get());
    return x.known && x == y;
}

bool SameFile(const std::string& a, const std::string& b) {
    const File first = openForIdentity(a);
    return first && SameFile(first.get(), b);
}

std::vector<std::string> FileNames(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const UniqueFind search(FindFirstFileW(Wide(pattern).c_str(), &data));
    for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.get(), &data))
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(Narrow(data.cFileName));
    return names;
}

void CreateDirectoryChain(const std::string& path) {
    for (size_t at = path.find('\\', 1); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryW(Wide(path.substr(0, at)).c_str(), nullptr);
    if (!path.empty() && path.back() != '\\')
        CreateDirectoryW(Wide(path).c_str(), nullptr);
}

std::string FullPath(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD n = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    full.resize(n < needed ? n : 0);
    return full.empty() ? path : Narrow(full);
}

std::string ModuleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size())
            return Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace vorlund::win

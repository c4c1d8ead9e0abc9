#include "publish/PublishSystem.h"

#include "publish/ConsoleStop.h"
#include "win/Dfs.h"
#include "win/Sha256.h"
#include "win/Unicode.h"

namespace vorlund::publish {

Status PublishSystem::Replace(const std::string& replaced, const std::string& replacement,
                              const std::string& backup) {
    const std::wstring wideBackup = win::Wide(backup);
    return Status::Of(ReplaceFileW(win::Wide(replaced).c_str(), win::Wide(replacement).c_str(),
                                   backup.empty() ? nullptr : wideBackup.c_str(),
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
}

Status PublishSystem::Copy(const std::string& from, const std::string& to) {
    return Status::Of(CopyFileW(win::Wide(from).c_str(), win::Wide(to).c_str(), FALSE));
}

Status PublishSystem::Move(const std::string& from, const std::string& to) {
    return Status::Of(
        MoveFileExW(win::Wide(from).c_str(), win::Wide(to).c_str(), MOVEFILE_WRITE_THROUGH));
}

std::optional<std::string> PublishSystem::HashOf(const std::string& path) {
    return win::FileSha256(path);
}

std::optional<std::string> PublishSystem::ReadAll(const std::string& path) {
    return win::ReadWholeFile(path);
}

Opened PublishSystem::Lock(const std::string& path) {
    return Opened::Of(win::OpenFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE));
}

bool PublishSystem::IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

uint64_t PublishSystem::Now() {
    return GetTickCount64();
}

bool PublishSystem::StopRequested() {
    return ConsoleStopRequested();
}

std::optional<FileLook> PublishSystem::Look(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::Wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileLook{(static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                    (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                        data.ftLastWriteTime.dwLowDateTime};
}

std::optional<std::string> PublishSystem::DfsTarget(const std::string& path) {
    return win::DfsTarget(path);
}

PublishSystem& PublishSystem::Real() {
    static PublishSystem real;
    return real;
}

} // namespace vorlund::publish

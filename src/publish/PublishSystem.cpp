#include "publish/PublishSystem.h"

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

PublishSystem& PublishSystem::Real() {
    static PublishSystem real;
    return real;
}

} // namespace vorlund::publish

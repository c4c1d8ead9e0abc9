#include "prepare/InstallSystem.h"

#include "prepare/Registry.h"

namespace vorlund {
namespace {

win::File openFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return win::File(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

win::File InstallSystem::OpenSource(const std::string& path) {
    return openFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

win::File InstallSystem::CreatePartial(const std::string& path) {
    return openFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
}

bool InstallSystem::Read(HANDLE file, char* buffer, DWORD length) {
    DWORD done = 0;
    return ReadFile(file, buffer, length, &done, nullptr) && done == length;
}

bool InstallSystem::Write(HANDLE file, const char* buffer, DWORD length) {
    DWORD done = 0;
    return WriteFile(file, buffer, length, &done, nullptr) && done == length;
}

bool InstallSystem::Flush(HANDLE file) {
    return FlushFileBuffers(file) != FALSE;
}

bool InstallSystem::Close(win::File& file) {
    return file.close();
}

bool InstallSystem::Rename(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool InstallSystem::DeleteOldCopy(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}

void InstallSystem::WriteVersion(TRegistry& registry, int32_t version) {
    registry.WriteInteger("Version", version);
}

InstallSystem& InstallSystem::Real() {
    static InstallSystem real;
    return real;
}

} // namespace vorlund

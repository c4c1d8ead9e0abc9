#include "win/Paths.h"

#include <windows.h>

#include <vector>

namespace vorlund::win {

bool IsFile(const std::string& path) {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path) {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateDirectoryChain(const std::string& path) {
    for (size_t at = path.find('\\', 1); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    if (!path.empty() && path.back() != '\\')
        CreateDirectoryA(path.c_str(), nullptr);
}

std::string ModuleFileName() {
    std::vector<char> buffer(MAX_PATH);
    while (true) {
        const DWORD n =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size())
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace vorlund::win

#include "config/IniFile.h"

#include "config/IntParse.h"

#include <windows.h>

#include <memory>

namespace vorlund {

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    char buffer[kValueBuffer];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                             kValueBuffer, path_.c_str());
    return std::string(buffer, n);
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t fallback) const {
    return readIntOrDefault(ReadString(section, key, ""), fallback);
}

void IniFile::ReadSections(std::vector<std::string>& names) const {
    names.clear();
    auto buffer = std::make_unique<char[]>(kSectionBuffer);
    const DWORD n = GetPrivateProfileStringA(nullptr, nullptr, nullptr, buffer.get(),
                                             kSectionBuffer, path_.c_str());
    const char* p = buffer.get();
    const char* end = p + n;
    while (p < end && *p != '\0') {
        const std::string name(p);
        names.push_back(name);
        p += name.size() + 1;
    }
}

} // namespace vorlund

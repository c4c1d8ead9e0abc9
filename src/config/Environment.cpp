#include "config/Environment.h"

#include "config/IniFile.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace vorlund {

std::string ExpandEnvironment(const std::string& value) {
    if (value.find('%') == std::string::npos)
        return value;
    std::vector<char> buffer(value.size() + 1);
    while (true) {
        const DWORD needed = ExpandEnvironmentStringsA(value.c_str(), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()));
        if (needed == 0)
            return value;
        if (needed <= buffer.size())
            break;
        buffer.resize(needed);
    }
    std::string expanded(buffer.data(), strnlen(buffer.data(), buffer.size()));
    if (expanded.size() > IniFile::kValueBuffer - 1)
        expanded.resize(IniFile::kValueBuffer - 1);
    return expanded;
}

} // namespace vorlund

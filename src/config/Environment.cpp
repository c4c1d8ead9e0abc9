#include "config/Environment.h"

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
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

EntryPaths ExpandEntryPaths(const ProgramList& programs) {
    const std::string written = programs.FieldAsString("mdbpath"); // carries its backslash
    std::string central = ExpandEnvironment(written);
    // A variable whose value ends in a backslash, at the end of the path,
    // must not give two.
    if (central.size() > 1 && central.ends_with("\\\\") && !written.ends_with("\\\\"))
        central.pop_back();
    return {central, ExpandEnvironment(programs.FieldAsString("tmpdir")),
            programs.FieldAsString("mdbname")};
}

} // namespace vorlund

#include "config/Environment.h"

#include "win/Unicode.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace vorlund {

std::string ExpandEnvironment(const std::string& value) {
    if (value.find('%') == std::string::npos)
        return value;
    const std::wstring wide = win::Wide(value);
    std::vector<wchar_t> buffer(wide.size() + 1);
    while (true) {
        const DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()));
        if (needed == 0)
            return value;
        if (needed <= buffer.size())
            break;
        buffer.resize(needed);
    }
    return win::Narrow(std::wstring_view(buffer.data(), wcsnlen(buffer.data(), buffer.size())));
}

EntryPaths ExpandEntryPaths(const ProgramList& programs) {
    const std::string written = programs.FieldAsString("mdbpath"); // carries its backslash
    std::string central = ExpandEnvironment(written);
    // A variable whose value ends in a backslash, at the end of the path,
    // must not give two.
    if (central.size() > 1 && central.ends_with("\\\\") && !written.ends_with("\\\\"))
        central.pop_back();
    return {central,
            ExpandEnvironment(programs.FieldAsString("tmpdir")),
            programs.FieldAsString("mdbname"),
            {}};
}

} // namespace vorlund

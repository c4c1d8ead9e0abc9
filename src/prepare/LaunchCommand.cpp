#include "prepare/LaunchCommand.h"

#include "base/AsciiText.h"

#include <array>
#include <string_view>

namespace vorlund {

std::string LaunchParameters(const std::string& localCopy, const std::string& arguments) {
    return "\"" + localCopy + "\"" + (arguments.empty() ? "" : " " + arguments);
}

std::string LaunchCommandLine(const std::string& program, const std::string& parameters) {
    return "\"" + program + "\" " + parameters;
}

std::string MaskPasswords(std::string_view commandLine) {
    std::string out(commandLine);
    const std::string upper = asciiUpper(out);
    // Back to front, so that a replacement does not move what is still to come.
    for (size_t at = upper.rfind("/PWD"); at != std::string::npos;
         at = at == 0 ? std::string::npos : upper.rfind("/PWD", at - 1)) {
        size_t start = at + 4;
        if ((at > 0 && upper[at - 1] != ' ') || start >= upper.size() || upper[start] != ' ')
            continue;
        while (start < upper.size() && upper[start] == ' ')
            ++start;
        if (start == upper.size())
            continue;
        const bool inQuotes = upper[start] == '"';
        size_t end = inQuotes ? upper.find('"', start + 1) : upper.find(' ', start);
        end = end == std::string::npos ? upper.size() : end + (inQuotes ? 1 : 0);
        out.replace(start, end - start, "****");
    }
    return out;
}

std::string ExtensionOf(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of("\\/:");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot);
}

bool IsAccessExtension(const std::string& extension) {
    const std::string upper = asciiUpper(extension);
    for (std::string_view access : {".MDB", ".MDE", ".ACCDB", ".ACCDE", ".ACCDR"})
        if (upper == access)
            return true;
    return false;
}

bool RunsAsProgram(const std::string& extension, bool shellCallsItDangerous) {
    if (IsAccessExtension(extension))
        return false;
    if (shellCallsItDangerous)
        return true;
    // The types of Windows' list that open by running, for a system whose
    // answer is missing. A .ps1 opens in Notepad by default.
    constexpr std::array<std::string_view, 19> kPrograms{
        ".EXE", ".COM", ".BAT", ".CMD", ".LNK", ".URL", ".SCR", ".PIF", ".VBS", ".VBE",
        ".JS",  ".JSE", ".WSF", ".WSH", ".MSI", ".HTA", ".CPL", ".MSC", ".REG"};
    const std::string upper = asciiUpper(extension);
    for (std::string_view program : kPrograms)
        if (upper == program)
            return true;
    return false;
}

} // namespace vorlund

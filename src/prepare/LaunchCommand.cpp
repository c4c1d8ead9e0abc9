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

std::string ExtensionOf(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of("\\/:");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot);
}

bool RunsAsProgram(const std::string& extension) {
    constexpr std::array<std::string_view, 13> kPrograms{".EXE", ".COM", ".BAT", ".CMD", ".LNK",
                                                         ".URL", ".SCR", ".PIF", ".VBS", ".JS",
                                                         ".PS1", ".MSI", ".HTA"};
    const std::string upper = asciiUpper(extension);
    for (std::string_view program : kPrograms)
        if (upper == program)
            return true;
    return false;
}

} // namespace vorlund

#include "config/ConfigPath.h"

namespace vorlund {
namespace {

size_t nameStart(std::string_view path) {
    const size_t sep = path.find_last_of("\\:");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

std::string replaceExtension(std::string_view name, std::string_view ext) {
    const size_t dot = name.find_last_of('.');
    std::string out(dot == std::string_view::npos ? name : name.substr(0, dot));
    out += ext;
    return out;
}

} // namespace

std::string programDirectory(std::string_view exePath) {
    std::string dir(exePath.substr(0, nameStart(exePath)));
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    return dir;
}

std::string configFilePath(std::string_view exePath) {
    return programDirectory(exePath) + replaceExtension(exePath.substr(nameStart(exePath)), ".INI");
}

} // namespace vorlund

#include "prepare/InstallRule.h"

#include "config/IntParse.h"

namespace vorlund {

bool InstallNeeded(const LocalCopyFacts& facts) {
    if (!facts.present || facts.configured > facts.installed)
        return true;
    return facts.marker && *facts.marker < facts.configured;
}

std::string VersionMarkerPath(const std::string& localCopy) {
    return localCopy + ".version";
}

std::string VersionMarkerText(int32_t version) {
    return std::to_string(version) + "\r\n";
}

std::optional<int32_t> ParseVersionMarker(std::string_view text) {
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.remove_suffix(2);
    return parseDecimal32(text);
}

} // namespace vorlund

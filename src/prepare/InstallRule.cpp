#include "prepare/InstallRule.h"

#include "base/Utf8.h"
#include "config/IntParse.h"

namespace vorlund {
namespace {

constexpr size_t kMaxPath = 260;      // MAX_PATH, with the terminating zero
constexpr size_t kMaxDirectory = 248; // MAX_PATH less room for an 8.3 name
constexpr size_t kPartialSuffix = 19; // "." + up to 10 digits + ".partial"

} // namespace

bool RefreshNeeded(int64_t localSize, int64_t centralSize, int32_t percent) {
    // In doubles: a size times a percentage may pass 64 bits, and sizes far
    // below 2^53 are exact.
    return percent > 0 && static_cast<double>(localSize) * 100.0 >
                              static_cast<double>(centralSize) * static_cast<double>(percent);
}

bool DirectoryFits(std::string_view directory) {
    while (!directory.empty() && directory.back() == '\\')
        directory.remove_suffix(1);
    return utf16Length(directory) < kMaxDirectory;
}

bool InstallPathsFit(std::string_view central, std::string_view local,
                     std::string_view installDir) {
    return utf16Length(central) < kMaxPath && utf16Length(local) + kPartialSuffix < kMaxPath &&
           DirectoryFits(installDir);
}

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

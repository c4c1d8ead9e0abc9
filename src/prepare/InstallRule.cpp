#include "prepare/InstallRule.h"

#include "prepare/PublishedCopy.h"

#include "base/Utf8.h"
#include "config/IntParse.h"

#include <vector>

namespace vorlund {
namespace {

constexpr size_t kMaxPath = 260;      // MAX_PATH, with the terminating zero
constexpr size_t kMaxDirectory = 248; // MAX_PATH less room for an 8.3 name
constexpr size_t kPartialSuffix = 19; // "." + up to 10 digits + ".partial"

} // namespace

bool RefreshActive(int32_t percent) {
    return percent > 100;
}

bool RefreshNeeded(int64_t localSize, int64_t centralSize, int32_t percent) {
    // In doubles: a size times a percentage may pass 64 bits, and sizes far
    // below 2^53 are exact.
    return RefreshActive(percent) &&
           static_cast<double>(localSize) * 100.0 >
               static_cast<double>(centralSize) * static_cast<double>(percent);
}

namespace {

bool isDriveRoot(std::string_view path) {
    const char d = path.size() >= 3 ? path[0] : '\0';
    return ((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z')) && path[1] == ':' && path[2] == '\\';
}

// "\\server\share\": a server and a share, each named.
bool isShareRoot(std::string_view path) {
    if (!path.starts_with("\\\\"))
        return false;
    const size_t server = path.find('\\', 2);
    if (server == std::string_view::npos || server == 2)
        return false;
    const size_t share = path.find('\\', server + 1);
    return share != std::string_view::npos && share > server + 1;
}

// A %NAME% left as written: ExpandEnvironmentStrings keeps what it cannot replace.
bool hasUnexpandedVariable(std::string_view path) {
    const size_t open = path.find('%');
    if (open == std::string_view::npos)
        return false;
    const size_t close = path.find('%', open + 1);
    return close != std::string_view::npos && close > open + 1 &&
           path.substr(open + 1, close - open - 1).find('\\') == std::string_view::npos;
}

} // namespace

InstallDirFault InstallDirectoryFault(std::string_view installDir, std::string_view local,
                                      std::string_view central, SameName sameName) {
    if (installDir.empty())
        return InstallDirFault::Empty;
    if (hasUnexpandedVariable(installDir))
        return InstallDirFault::Unexpanded;
    if (!isDriveRoot(installDir) && !isShareRoot(installDir))
        return InstallDirFault::Relative;
    if (sameName(local, central))
        return InstallDirFault::CentralCopy;
    return InstallDirFault::None;
}

std::string InstallDirFaultText(InstallDirFault fault, std::string_view installDir) {
    const std::string dir(installDir);
    switch (fault) {
    case InstallDirFault::None:
        break;
    case InstallDirFault::Empty:
        return "tmpdir ist leer (fehlt der Schl\u00FCssel, oder ist er falsch geschrieben?)";
    case InstallDirFault::Relative:
        return "tmpdir ist kein vollst\u00E4ndiger Pfad (C:\\... oder "
               "\\\\Server\\Freigabe\\...): " +
               dir;
    case InstallDirFault::Unexpanded:
        return "tmpdir enth\u00E4lt eine Variable, die nicht definiert ist: " + dir;
    case InstallDirFault::CentralCopy:
        return "die lokale Kopie w\u00E4re die zentrale Kopie selbst (tmpdir = mdbpath): " + dir;
    }
    return {};
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

std::string DirectoryOf(std::string_view path) {
    const size_t slash = path.find_last_of('\\');
    return std::string(slash == std::string_view::npos ? std::string_view()
                                                       : path.substr(0, slash + 1));
}

std::string VersionMarkerPath(const std::string& localCopy) {
    return localCopy + ".version";
}

std::string VersionMarkerText(int32_t version, const std::optional<InstalledProof>& proof) {
    std::string text = std::to_string(version) + "\r\n";
    if (proof)
        text += "sha256=" + proof->sha256 + "\r\ngroesse=" + std::to_string(proof->size) + "\r\n";
    return text;
}

namespace {

// The marker's lines, each without its CRLF; the last may lack it.
std::vector<std::string_view> markerLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 2);
    }
    return lines;
}

} // namespace

std::optional<int32_t> ParseVersionMarker(std::string_view text) {
    const std::vector<std::string_view> lines = markerLines(text);
    if (lines.empty() || (lines.size() != 1 && !ParseMarkerProof(text)))
        return std::nullopt;
    return parseDecimal32(lines.front());
}

std::optional<InstalledProof> ParseMarkerProof(std::string_view text) {
    const std::vector<std::string_view> lines = markerLines(text);
    if (lines.size() != 3 || !lines[1].starts_with("sha256=") || !IsSha256(lines[1].substr(7)) ||
        !lines[2].starts_with("groesse="))
        return std::nullopt;
    const std::optional<int64_t> size = parseCount(lines[2].substr(8));
    if (!size)
        return std::nullopt;
    return InstalledProof{std::string(lines[1].substr(7)), *size};
}

} // namespace vorlund

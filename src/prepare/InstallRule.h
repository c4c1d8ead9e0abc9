#pragma once
// When an entry must be installed on this workstation, and the version
// marker that a local copy carries beside it. The launcher and the check
// decide by the same rule.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlund {

struct LocalCopyFacts {
    bool present = false;          // a file at the local copy path
    int32_t installed = 0;         // "Version" in the registry, 0 when absent
    int32_t configured = 0;        // the entry's version
    std::optional<int32_t> marker; // the copy's own marker, if it has one
};

// A missing copy, a newer configured version, or a marker that says the copy
// itself is older: "Version" roams with the user, the copy does not.
bool InstallNeeded(const LocalCopyFacts& facts);

// Whether refreshsize= switches the refresh on: above 100, since a copy is
// never bloated against itself, and 1 to 100 would copy at every start.
bool RefreshActive(int32_t percent);
// Whether the local copy has grown past `percent` percent of the central
// copy's size (300: three times), so that it is copied afresh.
bool RefreshNeeded(int64_t localSize, int64_t centralSize, int32_t percent);

// Why an installation directory, its %NAME% expanded, is no directory of its
// own: the install would write beside the program on the share, or over the
// one file every workstation installs from.
enum class InstallDirFault {
    None,
    Empty,       // no tmpdir, or a misspelt key
    Relative,    // not "X:\..." nor "\\server\share\..."
    Unexpanded,  // a %NAME% that no variable replaced
    CentralCopy, // the local copy is the central copy
};
using SameName = bool (*)(std::string_view a, std::string_view b);
// The local copy that names the central one is found by `sameName`, the
// way the file system compares names; the same file under two names is the
// caller's to find.
InstallDirFault InstallDirectoryFault(std::string_view installDir, std::string_view local,
                                      std::string_view central, SameName sameName);
// What the log and the check say of it.
std::string InstallDirFaultText(InstallDirFault fault, std::string_view installDir);

// Whether Windows takes every path an install uses, counted in UTF-16 units:
// the central copy and the partial file (the local copy's path and
// ".<process id>.partial", the longest name written beside it) below
// MAX_PATH, the installation directory below 248, which CreateDirectory
// takes. A path that does not fit is refused, never shortened.
bool InstallPathsFit(std::string_view central, std::string_view local, std::string_view installDir);
// Whether Windows can create the directory (trailing backslashes aside).
bool DirectoryFits(std::string_view directory);

// The directory that holds a file, with its backslash: what the local copy
// lies in, also when tmpdir lacks its backslash ("C:\Apps\Lager" with
// "lager.mdb" lies in "C:\Apps\").
std::string DirectoryOf(std::string_view path);

// The marker lies beside the local copy: "orders.mdb" has "orders.mdb.version".
std::string VersionMarkerPath(const std::string& localCopy);
// What an install verified of the copy it put in place: the published
// SHA-256 it matched, and its size.
struct InstalledProof {
    std::string sha256;
    int64_t size = 0;
    bool operator==(const InstalledProof&) const = default;
};
// Decimal text and CRLF; with a proof, "sha256=" and "groesse=" lines after it.
std::string VersionMarkerText(int32_t version, const std::optional<InstalledProof>& proof = {});
// The version of the first line; nothing when it is no marker, and a
// damaged one counts as absent.
std::optional<int32_t> ParseVersionMarker(std::string_view text);
// The proof lines, where the marker has both.
std::optional<InstalledProof> ParseMarkerProof(std::string_view text);

} // namespace vorlund

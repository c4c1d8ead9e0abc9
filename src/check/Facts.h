#pragma once
// What the configuration check found on this workstation, gathered without
// changing anything, for the verdict and the report.
#include "check/ConfigLint.h"
#include "check/TextEncoding.h"
#include "config/ProfileDecoding.h"
#include "prepare/InstallRule.h"
#include "prepare/PublishedCopy.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlund::check {

enum class FileState { Missing, Readable, Locked, Unreadable };
enum class DirState { Exists, WouldBeCreated, CannotBeCreated };

struct InstalledVersion {
    enum Kind { Absent, Number, WrongType } kind = Absent;
    int32_t value = 0;
    std::string error; // the launcher's error text for a value it cannot read
};

struct RegistryValue {
    std::string name;
    std::optional<std::string> current; // nothing while the value is absent
    std::string planned;                // what the launcher writes
};

struct EntryFacts {
    std::string section;
    std::string displayName;
    int32_t configuredVersion = 0;
    InstalledVersion installed;
    std::string versionKey;

    std::string mdbpathWritten; // as the file gives them, before variables
    std::string tmpdirWritten;
    std::string centralPath;
    FileState central = FileState::Missing;
    int64_t centralSize = 0;
    std::string localPath;
    bool localPresent = false;
    bool localHeld = false;        // open elsewhere, so it cannot be replaced
    std::optional<int32_t> marker; // the version written beside the local copy
    // Whether the local copy is still the one its install verified (the
    // marker's SHA-256 and size); nothing where the marker names none.
    std::optional<bool> localAsInstalled;
    std::string installDir;
    InstallDirFault installDirFault = InstallDirFault::None; // the launcher refuses the entry
    DirState installDirState = DirState::Exists;
    // Who besides the user may change it or the copy in it.
    std::vector<std::string> othersWhoMayChange;

    bool withDataSource = true; // the entry names an ODBC data source
    std::string dataSourceName;
    std::string dataSourceKey;
    std::vector<RegistryValue> dataSource;

    // groesse=/pruefsumme=: what was published, and what the central copy is.
    PublishedCopy published;
    std::optional<std::string> centralSha256; // read when a hash was published
    int64_t hashMilliseconds = 0;
    bool vorherPresent = false; // <mdbname>.vorher beside the central copy
    // The central copy is not the published one, but .vorher is: an editor
    // still open on the INI saved its old text over a publish.
    bool vorherIsPublished = false;
    // The record of published releases beside the central copy: how many,
    // and, where the central copy is not the published one, which release
    // the INI names and which the central copy is (an INI put back).
    size_t releases = 0;
    std::optional<int32_t> iniRelease, centralRelease;
    // signatur= as written, the key it names, and, where this PC pins
    // publishers' keys, whether one of them signed this entry's record.
    std::string signature;
    std::string signedBy;
    std::optional<bool> signatureValid; // nothing where no key is pinned
    std::string signatureFault;
    // Where no key is pinned and Access trusts the copy: who but the
    // administrators may change the central copy's folder.
    std::vector<std::string> othersWhoMayWriteCentral;
    // vorab=: who is in the pilot ring, and this PC's place in it; where it
    // runs the ring's release, the facts above are of that release.
    struct Ring {
        std::string written;
        std::vector<std::string> faults;
        int percent = 0;
        std::string computer; // as Windows compares it
        bool in = false, named = false;
        int bucket = 0;
        int32_t pilotVersion = 0; // vorabversion; above version: a trial is on
        bool runsPilot = false;
        // The release this PC does not run, and what its copy is.
        std::string otherRelease;
    } ring;
    // What publishes ended midway left of this entry and of the INI.
    std::vector<std::string> leftovers;
    // gesperrt= of the entry, else of [SETUP]: the launcher starts nothing.
    std::string locked;
    bool lockedForAll = false;

    // Keys without which the launcher registers and starts nothing, and
    // whether the section was meant as [SETUP] (one letter away from it).
    std::vector<std::string> missingKeys;
    bool meantAsSetup = false;
    // What the reader passes over in the section.
    std::vector<ConfigNote> notes;

    std::string extension;
    bool runsAsProgram = false;        // opening the "copy" would run it
    std::optional<std::string> opener; // the shell's command for it
    bool startsAs64Bit = false;        // the program that starts could not use a 32-bit ODBC driver

    // Values longer than their field, which the launcher cuts.
    struct Cut {
        std::string key;
        size_t written;
        size_t kept;
    };
    std::vector<Cut> cuts;

    // trustedlocation=1: per Access version, the location that names the
    // installation directory, if any, and whether a policy switched user
    // locations off.
    struct Trust {
        std::string version;
        std::optional<std::string> location;
        bool userLocationsOff = false;     // policy: allow user locations = 0
        bool allLocationsDisabled = false; // Access's policy: AllLocationsDisabled = 1
        bool networkAllowed = false;       // AllowNetworkLocations, policy before user
    };
    bool trustedLocation = false;
    std::string trustPath;       // the directory as Access compares it
    bool trustOnNetwork = false; // \\server\... or a mapped network drive
    std::vector<Trust> trust;

    // accessexe=/accessargs=: the program the launch starts, and how.
    bool customLaunch = false;
    std::string launchProgram;      // empty: the document's extension has no opener
    std::string launchProgramFound; // the file it starts, a bare name found
    bool launchProgramPresent = false;
    std::string launchCommandLine;

    // refreshsize=: the local copy's size against the central copy's.
    int32_t refreshPercent = 0;
    std::optional<int64_t> localSize;

    // An earlier entry (1-based) whose name Windows takes for the same: its
    // "Version" key or its data source would be shared.
    std::optional<size_t> sameDisplayNameAs;
    std::optional<size_t> sameDataSourceAs;
};

struct ConfigFacts {
    std::string iniPath;
    FileState file = FileState::Missing;
    EncodingFindings encoding;
    ProfileEncoding decoding; // how the launcher decodes the file
    std::vector<std::string> sections;
    std::string banner; // as written; empty: none
    bool bannerLoads = false;
    std::vector<ConfigNote> setupNotes;
    std::string logDirWritten; // empty: no run log
    std::string logDir;        // expanded
    bool logDirExists = false;
    std::string driverPath;
    bool driverPresent = false;
    // On 64-bit Windows, where 32-bit programs such as Access find it.
    std::string driver32Path;
    bool driver32Present = false;
    unsigned codePage = 1252; // this workstation's ANSI code page
    // The publishers' keys the machine policy pins: their ids, its lines
    // that are no key, and why it could not be read.
    bool pinned = false;
    std::vector<std::string> pinnedIds;
    std::vector<std::string> faultyPins;
    std::string pinError;
    // Where keys are pinned: who but the administrators may change the
    // configuration, whose other keys (accessexe, tmpdir, ...) no signature covers.
    std::vector<std::string> othersWhoMayWriteConfiguration;
    std::vector<EntryFacts> entries;
};

} // namespace vorlund::check

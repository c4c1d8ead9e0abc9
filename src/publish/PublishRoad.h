#pragma once
// What the files of the publish road share: the entry as this publish read
// it, the road's state from step to step, and the patience of its waits.
#include "base/AsciiText.h"
#include "config/ReleaseHistory.h"
#include "prepare/LaunchCommand.h"
#include "prepare/PartialFiles.h"
#include "prepare/PublishedCopy.h"
#include "publish/Publisher.h"
#include "publish/PublisherKey.h"
#include "win/Handles.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlund::publish {

inline constexpr uint64_t kPatience = 60000;       // for workstations reading the central copy
inline constexpr uint64_t kScannerPatience = 8000; // for a scanner or backup agent holding a file
inline constexpr uint64_t kStopPatience = 3000;    // of the seconds Windows grants a closed console
inline constexpr DWORD kStep = 1000;
inline constexpr uint64_t kSayEvery = 5000;

inline constexpr char kStopped[] = "Abgebrochen (Strg+C, Strg+Pause oder Konsole geschlossen).";

// A wait counted by the clock, telling every few seconds that it goes on.
class Waiting {
  public:
    explicit Waiting(PublishSystem& system) : system_(system), start_(system.Now()) {}
    uint64_t Waited() const { return system_.Now() - start_; }
    bool TimeToSay() {
        if (Waited() < nextSay_)
            return false;
        nextSay_ = Waited() + kSayEvery;
        return true;
    }

  private:
    PublishSystem& system_;
    uint64_t start_;
    uint64_t nextSay_ = 0;
};

// The keys of the pilot ring's release, which go when it ends or becomes
// everyone's.
inline constexpr std::array<std::string_view, 4> kPilotReleaseKeys{
    "vorabversion", "vorabgroesse", "vorabpruefsumme", "vorabsignatur"};
inline void RemovePilotRelease(ProfileDocument& doc, const std::string& section) {
    for (std::string_view key : kPilotReleaseKeys)
        doc.Remove(section, key);
}

// Access holds an open database with a lock file beside it.
inline std::string LockFileOf(const std::string& path) {
    const std::string ext = asciiUpper(ExtensionOf(path));
    const std::string stem = path.substr(0, path.size() - ExtensionOf(path).size());
    if (ext == ".MDB" || ext == ".MDE")
        return stem + ".ldb";
    if (ext == ".ACCDB" || ext == ".ACCDE" || ext == ".ACCDR")
        return stem + ".laccdb";
    return {};
}

struct Publisher::Entry {
    std::string iniPath;
    std::string snapshot; // the configuration's bytes as this publish read them
    std::string section, displayName, central, logDir, mdbName;
    std::string mdbNameWritten; // as the entry writes it, before variables
    std::string signature;      // signatur= as this publish read it
    // The pilot ring's release: vorabversion (0: none), what was published of
    // it, and its copy beside the central one.
    int32_t pilotVersion = 0;
    PublishedCopy pilotPublished;
    std::string pilotCopy;
    int32_t version = 0;
    PublishedCopy published; // groesse= and pruefsumme= as this publish read them
    size_t releasesKept = kReleasesKeptByDefault; // versionen=
    std::vector<Release> history;
};

struct Publisher::Road {
    explicit Road(const PublishRequest& r) : request(r) {}
    const PublishRequest& request;
    Entry entry;
    std::string source;
    win::File sourceFile;
    int64_t size = 0;
    std::string sha256;
    std::string partial;
    // The file the new bytes take the place of: the central copy, or the
    // pilot ring's.
    std::string destination;
    int32_t newVersion = 0;
    std::string newIni, iniTemp; // the new configuration, and the file it waits in
    std::string vorher, aside;   // the one before, and where an older one waits meanwhile
    bool hadCentral = false, hadVorher = false;
    bool vorherAside = false; // the one before waits as `aside`
    // A central copy other than the published one is no release to go back to.
    bool centralPublished = true;
    std::optional<Release> target; // of a rollback, by the record
    std::string releaseFile;       // the new release's own copy, for the record
    // The copy of the release the first record starts with; it goes with a
    // publish that fails.
    std::optional<PartialFile> seeded;
    bool recordCompleted = false; // a publish ended midway had placed its configuration
    std::vector<std::optional<FileLook>> before; // of watched(), before anything changed
    std::optional<SigningKey> key;               // /signieren: the new release is signed
    bool signatureDropped = false;               // the entry was signed, this release is not
};

} // namespace vorlund::publish

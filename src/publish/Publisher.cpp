#include "publish/Publisher.h"

#include "base/AsciiText.h"
#include "base/HashPipeline.h"
#include "config/Environment.h"
#include "config/IntParse.h"
#include "config/ProfileEditor.h"
#include "config/ProfileReader.h"
#include "config/ReadProgramm.h"
#include "config/ReleaseHistory.h"
#include "prepare/InstallRule.h"
#include "prepare/LaunchCommand.h"
#include "prepare/Messages.h"
#include "prepare/PartialFiles.h"
#include "prepare/Preparation.h"
#include "prepare/Retry.h"
#include "prepare/RunLogFile.h"
#include "win/Clock.h"
#include "win/CodePage.h"
#include "win/Paths.h"
#include "win/Sha256.h"
#include "win/SystemText.h"
#include "win/Unicode.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace vorlund::publish {
namespace {

using texts::quoted;

constexpr uint64_t kPatience = 60000;       // for workstations reading the central copy
constexpr uint64_t kScannerPatience = 8000; // for a scanner or backup agent holding a file
constexpr DWORD kStep = 1000;
constexpr uint64_t kSayEvery = 5000;

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

// Access holds an open database with a lock file beside it.
std::string lockFileOf(const std::string& path) {
    const std::string ext = asciiUpper(ExtensionOf(path));
    const std::string stem = path.substr(0, path.size() - ExtensionOf(path).size());
    if (ext == ".MDB" || ext == ".MDE")
        return stem + ".ldb";
    if (ext == ".ACCDB" || ext == ".ACCDE" || ext == ".ACCDR")
        return stem + ".laccdb";
    return {};
}

bool isAccessFile(const std::string& path) {
    return IsAccessExtension(ExtensionOf(path));
}

// A Jet (.mdb) or ACE (.accdb) database names itself at byte 4.
bool hasDatabaseHeader(std::string_view head) {
    return head.size() >= 19 &&
           (head.substr(4, 15) == "Standard Jet DB" || head.substr(4, 15) == "Standard ACE DB");
}

bool readOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

constexpr uint64_t kStopPatience = 3000; // of the few seconds Windows grants a closed console

const char* const kStopped = "Abgebrochen (Strg+C, Strg+Pause oder Konsole geschlossen).";

// The copy's writes refuse once the administrator asked to stop.
class StoppableWrites : public InstallSystem {
  public:
    explicit StoppableWrites(PublishSystem& system) : system_(system) {}
    Status Size(HANDLE file, int64_t& size) override { return system_.Size(file, size); }
    Status Read(HANDLE file, char* buffer, DWORD length) override {
        return system_.Read(file, buffer, length);
    }
    Status Write(HANDLE file, const char* buffer, DWORD length) override {
        return system_.StopRequested() ? Status{ERROR_CANCELLED}
                                       : system_.Write(file, buffer, length);
    }

  private:
    PublishSystem& system_;
};

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

bool retryable(DWORD error) {
    return IsTransientLock(error) || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

} // namespace

struct Publisher::Entry {
    std::string iniPath;
    std::string snapshot; // the configuration's bytes as this publish read them
    std::string section, displayName, central, logDir, mdbName;
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
    int32_t newVersion = 0;
    std::string newIni, iniTemp; // the new configuration, and the file it waits in
    std::string vorher, aside;   // the one before, and where an older one waits meanwhile
    bool hadCentral = false, hadVorher = false;
    bool vorherAside = false; // the one before waits as `aside`
    // A central copy other than the published one is no release to go back to.
    bool centralPublished = true;
    std::optional<Release> target; // of a rollback, by the record
    std::string releaseFile;       // the new release's own copy, for the record
    std::string seeded;            // the copy of the release the first record starts with
    bool recordCompleted = false;  // a publish ended midway had placed its configuration
    std::vector<std::optional<FileLook>> before; // of watched(), before anything changed
};

// The names a failure may leave changed; the partial copy and the staged
// configuration go with the publish.
std::vector<std::string> Publisher::watched(const Road& road) {
    const std::string& central = road.entry.central;
    return {central, VorherPath(central), AsidePath(central), road.entry.iniPath};
}

std::vector<std::optional<FileLook>> Publisher::lookAt(const Road& road) {
    std::vector<std::optional<FileLook>> looks;
    for (const std::string& name : watched(road))
        looks.push_back(system_.Look(name));
    return looks;
}

// What lies under each name now, read anew, and which file it was before.
std::string Publisher::describeShare(const Road& road,
                                     const std::vector<std::optional<FileLook>>& now) {
    const std::vector<std::string> names = watched(road);
    std::string text = "ACHTUNG: auf der Freigabe ist nicht mehr alles wie vorher. Jetzt liegt:";
    for (size_t i = 0; i < names.size(); ++i) {
        if (!now[i] && !road.before[i])
            continue;
        text += "\r\n  " + names[i] + ": ";
        if (!now[i]) {
            text += "fehlt (vorher da)";
            continue;
        }
        text += std::to_string(now[i]->size) + " Bytes";
        if (names[i] == road.entry.iniPath) {
            text += system_.ReadAll(names[i]) == road.entry.snapshot ? ", unver\u00E4ndert"
                                                                     : ", ge\u00E4ndert";
            continue;
        }
        // After a stop, Windows grants seconds only: no whole file is read.
        const std::optional<std::string> hash =
            system_.StopRequested() ? std::nullopt : system_.HashOf(names[i]);
        text += ", SHA-256 " +
                hash.value_or(system_.StopRequested() ? "nicht gelesen" : "nicht lesbar");
        if (hash && *hash == road.sha256)
            text += " (die neue Datei)";
        for (size_t j = 0; j < names.size(); ++j)
            if (road.before[j] && *road.before[j] == *now[i])
                text += " (bisher " + names[j] + ")";
    }
    return text;
}

// The configuration by its bytes: one put back from its kept copy is a
// new file with the same text.
bool Publisher::asBefore(const Road& road, const std::vector<std::optional<FileLook>>& now) {
    const std::vector<std::string> names = watched(road);
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == road.entry.iniPath ? system_.ReadAll(names[i]) != road.entry.snapshot
                                           : now[i] != road.before[i])
            return false;
    return true;
}

int Publisher::refuse(const Road& road, Refusal r) {
    if (const std::vector<std::optional<FileLook>> now = lookAt(road); !asBefore(road, now)) {
        r.text += "\r\n" + describeShare(road, now);
        r.changed = true;
    }
    return refuse(r);
}

int Publisher::refuse(const Refusal& r) {
    say_(r.text);
    if (!r.changed)
        say_(r.code == kRefused ? "Nichts ge\u00E4ndert."
                                : "Nichts ge\u00E4ndert; siehe vorlundpublish /?.");
    return r.code;
}

// One publish per configuration at a time: a second one waits for the first.
std::optional<Publisher::Refusal> Publisher::lock(const std::string& iniPath, win::File& held) {
    const std::string path = iniPath + ".vorlundpublish";
    for (Waiting waiting(system_);;) {
        Opened opened = system_.Lock(path);
        if (opened.file) {
            held = std::move(opened.file);
            return std::nullopt;
        }
        // The last publish's lock file, still held by a scanner, waits to go
        // (delete pending) and refuses every open meanwhile.
        const bool another =
            opened.error == ERROR_SHARING_VIOLATION ||
            (opened.error == ERROR_ACCESS_DENIED && !system_.FindFiles(path).empty());
        if (!another)
            return Refusal{kRefused, "Neben der Konfiguration kann nicht geschrieben werden (" +
                                         path + "): " + win::SystemText(opened.error)};
        if (waiting.Waited() >= kPatience)
            return Refusal{kRefused, "Eine andere Ver\u00F6ffentlichung auf " + iniPath +
                                         " l\u00E4uft seit einer Minute; bitte sp\u00E4ter "
                                         "erneut."};
        if (system_.StopRequested())
            return Refusal{kRefused, kStopped};
        if (waiting.TimeToSay())
            say_("Warte: eine andere Ver\u00F6ffentlichung l\u00E4uft gerade ...");
        system_.Pause(host_, kStep);
    }
}

std::optional<Publisher::Refusal> Publisher::load(const std::string& iniPath,
                                                  const std::string& application, Entry& entry) {
    const std::optional<std::string> bytes = system_.ReadAll(iniPath);
    if (!bytes)
        return Refusal{kFaultyCall,
                       "Die Konfiguration " + iniPath + " fehlt oder ist nicht lesbar."};
    entry.iniPath = iniPath;
    entry.snapshot = *bytes;
    const ProfileBytes reader(*bytes, win::DecodeCodePage);
    std::vector<std::string> sections;
    reader.ReadSections(sections);
    ProgramList list;
    list.Open();
    const std::vector<std::string> entries = LoadProgramEntries(
        sections, [&](const std::string& section) { ReadProgramm(list, reader, section); });
    // Its section's name first, then an unambiguous displayname.
    std::vector<size_t> found;
    for (size_t i = 0; i < entries.size(); ++i)
        if (equalsIgnoreAsciiCase(entries[i], application))
            found.push_back(i);
    if (found.empty())
        for (size_t i = 0; i < entries.size(); ++i) {
            list.MoveToVisibleRow(static_cast<int32_t>(i));
            if (win::SameIgnoringCase(list.FieldAsString("displayname"), application))
                found.push_back(i);
        }
    std::string known;
    for (size_t i = 0; i < entries.size(); ++i) {
        list.MoveToVisibleRow(static_cast<int32_t>(i));
        known += "\r\n  [" + entries[i] + "] " + quoted(list.FieldAsString("displayname"));
    }
    if (found.size() != 1)
        return Refusal{kFaultyCall, (found.empty() ? "Keine Anwendung hei\u00DFt "
                                                   : "Mehrere Anwendungen hei\u00DFen ") +
                                        quoted(application) + " in " + iniPath + ":" + known};
    list.MoveToVisibleRow(static_cast<int32_t>(found.front()));
    entry.section = entries[found.front()];
    entry.displayName = list.FieldAsString("displayname");
    entry.version = list.FieldAsInteger("version");
    // A version the launcher reads as 0 would publish as 1, below every
    // workstation's: nothing would install.
    if (const std::string text = reader.ReadString(entry.section, "version", "");
        !text.empty() && !readInt(text))
        return Refusal{kFaultyCall, "version=" + text + " in [" + entry.section +
                                        "] ist keine ganze Zahl; Vorlund liest sie als 0. "
                                        "Bitte zuerst berichtigen."};
    entry.logDir = reader.ReadString("SETUP", "logdir", "");
    std::string kept = reader.ReadString(entry.section, "versionen", "");
    if (kept.empty())
        kept = reader.ReadString("SETUP", "versionen", "");
    if (const std::optional<int32_t> n = readInt(kept); n && *n > 0)
        entry.releasesKept = static_cast<size_t>(*n);
    if (list.FieldAsString("mdbname").empty())
        return Refusal{kFaultyCall, "[" + entry.section + "] nennt kein mdbname."};
    const EntryPaths paths = ExpandEntryPaths(list);
    entry.central = paths.Central();
    entry.mdbName = paths.mdbName;
    entry.published =
        ReadPublished(list.FieldAsString("groesse"), list.FieldAsString("pruefsumme"));
    return std::nullopt;
}

// A replicated share is published on one server by its own path: through
// the namespace, workstations would read whichever server they reach, and
// replication brings a copy and its INI in no promised order.
std::optional<Publisher::Refusal> Publisher::oneServer(const PublishRequest& request,
                                                       Entry& entry) {
    if (!request.server.empty()) {
        std::string folder = request.server;
        if (folder.back() != '\\')
            folder += '\\';
        if (!system_.IsDirectory(folder))
            return Refusal{kFaultyCall, "Den Ordner " + folder + " (/server) gibt es nicht."};
        if (system_.DfsTarget(folder))
            return Refusal{kFaultyCall, folder + " (/server) liegt selbst in einem "
                                                 "DFS-Namensraum; bitte den Ordner auf einem "
                                                 "Server nennen (\\\\SERVER\\Freigabe\\...)."};
        entry.central = folder + entry.mdbName;
        return std::nullopt;
    }
    const std::optional<std::string> target = system_.DfsTarget(entry.central);
    if (!target)
        return std::nullopt;
    return Refusal{kFaultyCall,
                   entry.central +
                       " liegt in einem DFS-Namensraum: Arbeitspl\u00E4tze lesen von "
                       "verschiedenen Servern, und die Replikation bringt Kopie und INI in "
                       "keiner festen Reihenfolge. Bitte auf einem Server ver\u00F6ffentlichen: "
                       "/server und der Ordner dort" +
                       (target->empty()
                            ? " (\\\\SERVER\\Freigabe\\...)."
                            : ", von diesem PC aus zurzeit /server " + DirectoryOf(*target) + ".")};
}

std::optional<Publisher::Refusal> Publisher::checkSource(Road& road) {
    const std::string& source = road.source;
    if (road.request.kind == PublishRequest::Back && !system_.IsFile(source))
        return Refusal{kRefused, "Es gibt keine vorherige Version: " + source};
    if (system_.IsDirectory(source))
        return Refusal{kFaultyCall, source + " ist ein Ordner, keine Datei."};
    if (!system_.IsFile(source))
        return Refusal{kFaultyCall, "Die Datei " + source + " gibt es nicht."};
    if (win::SameFile(source, road.entry.central))
        return Refusal{kFaultyCall, source + " ist die zentrale Kopie selbst."};
    // Others may read it meanwhile, nobody may write: Access holds an open
    // database for writing, and a copy of it may hold half-written pages.
    Opened opened = system_.OpenSource(source);
    const std::string lockFile = lockFileOf(source);
    const bool lockFileThere = !lockFile.empty() && system_.IsFile(lockFile);
    if (!opened.file)
        return Refusal{kRefused, opened.error == ERROR_SHARING_VIOLATION
                                     ? source + " ist ge\u00F6ffnet (in Access?)" +
                                           (lockFileThere ? "; daneben liegt " + lockFile : "") +
                                           ". Bitte schlie\u00DFen und erneut ver\u00F6ffentlichen."
                                     : source + " kann nicht gelesen werden: " +
                                           win::SystemText(opened.error)};
    road.sourceFile = std::move(opened.file);
    if (lockFileThere)
        say_("Hinweis: neben der Datei liegt " + lockFile +
             ", aber niemand hat sie ge\u00F6ffnet (von einem Absturz \u00FCbrig?).");
    if (const Status sized = system_.Size(road.sourceFile.get(), road.size); !sized.ok())
        return Refusal{kRefused,
                       source + " kann nicht gelesen werden: " + win::SystemText(sized.error)};
    if (road.size == 0)
        return Refusal{kRefused, source + " ist leer."};
    // Judged by what the workstations will take it for, whatever it is called.
    if (isAccessFile(road.entry.mdbName) || isAccessFile(source)) {
        std::array<char, 19> head{};
        const bool read = system_.Read(road.sourceFile.get(), head.data(), head.size()).ok();
        int64_t unused = 0;
        system_.Size(road.sourceFile.get(), unused); // back to the start
        if (!read || !hasDatabaseHeader(std::string_view(head.data(), head.size())))
            return Refusal{kRefused, source + " ist keine Access-Datenbank (Jet oder ACE)."};
    }
    return std::nullopt;
}

// Beside the central copy, on the same share: written through, then read
// back through a handle of its own and compared with what was read.
std::optional<Publisher::Refusal> Publisher::copyToPartial(Road& road) {
    road.partial = PartialCopyPath(road.entry.central);
    Opened created = system_.CreatePartial(road.partial);
    if (!created.file)
        return Refusal{kRefused, "Neben der zentralen Kopie kann nicht geschrieben werden (" +
                                     road.partial + "): " + win::SystemText(created.error)};
    win::File target = std::move(created.file);
    win::Sha256 sha;
    DWORD error = ERROR_SUCCESS;
    {
        HashPipeline hashing([&sha](const char* data, size_t size) { sha.Update(data, size); });
        int64_t copied = 0;
        say_("Kopiere " + road.source + " nach " + road.partial + " ...");
        StoppableWrites writes(system_);
        error = CopyChunks(host_, writes, road.sourceFile.get(), target.get(), copied, &hashing);
        if (error == ERROR_SUCCESS)
            error = system_.Flush(target.get()).error;
    }
    road.sourceFile.close();
    if (const Status closed = system_.Close(target); error == ERROR_SUCCESS)
        error = closed.error;
    if (error == ERROR_CANCELLED)
        return Refusal{kRefused, kStopped};
    if (error != ERROR_SUCCESS)
        return Refusal{kRefused,
                       "Das Kopieren auf die Freigabe ist gescheitert: " + win::SystemText(error)};
    road.sha256 = sha.HexDigest().value_or("");
    const std::optional<std::string> back = system_.HashOf(road.partial);
    if (road.sha256.empty() || back != road.sha256)
        return Refusal{kRefused, "Die Kopie auf der Freigabe ist nicht die Datei, die gelesen "
                                 "wurde (SHA-256 " +
                                     road.sha256 + ", zur\u00FCckgelesen " +
                                     back.value_or("nicht lesbar") + ")."};
    return std::nullopt;
}

// Prepared before the share is touched: a configuration that cannot take
// the new values refuses while nothing has changed.
std::optional<Publisher::Refusal> Publisher::editConfiguration(Road& road) {
    ProfileDocument doc(road.entry.snapshot, win::DecodeCodePage, win::EncodeCodePage);
    const std::string& section = road.entry.section;
    if (!doc.Set(section, "version", std::to_string(road.newVersion)) ||
        !doc.Set(section, "pruefsumme", road.sha256) ||
        !doc.Set(section, "groesse", std::to_string(road.size)))
        return Refusal{kRefused, "Die Konfiguration l\u00E4sst sich nicht so \u00E4ndern, dass "
                                 "Vorlund die neuen Werte liest (" +
                                     road.entry.iniPath + ")."};
    road.newIni = doc.Bytes();
    return std::nullopt;
}

// The new configuration waits in a file beside the old one before the share
// is touched, so that a full or refusing folder stops the publish in time.
std::optional<Publisher::Refusal> Publisher::stageConfiguration(Road& road) {
    return stage(road.entry, road.newIni, road.iniTemp);
}

std::optional<Publisher::Refusal> Publisher::unchangedConfiguration(Road& road) {
    return unchanged(road.entry);
}

std::optional<Publisher::Refusal> Publisher::stage(const Entry& entry, const std::string& bytes,
                                                   const std::string& temp) {
    system_.Remove(temp); // one a crashed publish of this process number left
    if (const Status written = system_.WriteNew(temp, bytes); !written.ok())
        return Refusal{kRefused,
                       "Die Konfiguration " + entry.iniPath +
                           " l\u00E4sst sich nicht schreiben: " + win::SystemText(written.error)};
    return std::nullopt;
}

std::optional<Publisher::Refusal> Publisher::unchanged(const Entry& entry) {
    const std::optional<std::string> now = system_.ReadAll(entry.iniPath);
    if (!now)
        return Refusal{kRefused, "Die Konfiguration " + entry.iniPath +
                                     " ist nicht mehr erreichbar (die Freigabe, das Netz?)."};
    if (*now != entry.snapshot)
        return Refusal{kRefused, "Die Konfiguration " + entry.iniPath +
                                     " wurde inzwischen ge\u00E4ndert; sie bleibt, wie sie ist. "
                                     "Bitte erneut aufrufen."};
    return std::nullopt;
}

// ReplaceFileW as Windows documents its failures when a backup is named:
// both files keep their names, or the replaced one already carries the
// backup's name (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) and is moved back.
// Readers holding the replaced file are waited for.
Publisher::Replaced Publisher::replaceWaiting(const std::string& replaced,
                                              const std::string& replacement,
                                              const std::string& backup, const std::string& readers,
                                              bool stoppable) {
    for (Waiting waiting(system_);;) {
        const DWORD error = system_.Replace(replaced, replacement, backup).error;
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !system_.Move(backup, replaced).ok())
            return {error, true};
        if (const std::optional<DWORD> end = endOfWait(error, waiting.Waited(), stoppable))
            return {*end, false};
        if (error != ERROR_ACCESS_DENIED && waiting.TimeToSay())
            say_("Warte: " + readers + " (" + std::to_string(waiting.Waited() / 1000) + " s von " +
                 std::to_string(kPatience / 1000) + " s) ...");
        system_.Pause(host_, kStep);
    }
}

// Whether a replace that gave `error` is tried again: not after success or
// a lasting refusal, nor past its patience. A refused access is a scanner's
// moment or a lasting right, never a reader (only sharing keeps readers
// out). A stop ends a wait that may end at once, and shortens one that must
// bring something back.
std::optional<DWORD> Publisher::endOfWait(DWORD error, uint64_t waited, bool stoppable) {
    if (error == ERROR_SUCCESS || !retryable(error))
        return error;
    const bool stop = system_.StopRequested();
    if (stop && stoppable)
        return ERROR_CANCELLED;
    uint64_t patience = error == ERROR_ACCESS_DENIED ? kScannerPatience : kPatience;
    if (stop)
        patience = std::min(patience, kStopPatience);
    if (waited >= patience)
        return error;
    return std::nullopt;
}

std::optional<Publisher::Refusal> Publisher::replaceCentral(Road& road) {
    const std::string& central = road.entry.central;
    road.vorher = VorherPath(central);
    road.aside = AsidePath(central);
    road.hadCentral = system_.IsFile(central);
    road.hadVorher = system_.IsFile(road.vorher);
    if (road.hadCentral && !road.centralPublished)
        return replaceUnpublished(road);
    // The one before the one before waits aside until the publish is done;
    // without a central copy to take its place, it stays where it is.
    if (road.hadVorher && road.hadCentral) {
        if (const Status moved = system_.Move(road.vorher, road.aside); !moved.ok())
            return Refusal{kRefused, road.vorher + " kann nicht beiseitegelegt werden: " +
                                         win::SystemText(moved.error)};
        road.vorherAside = true;
    }
    const Replaced replaced =
        road.hadCentral ? replaceWaiting(central, road.partial, road.vorher,
                                         "Arbeitspl\u00E4tze lesen gerade die zentrale Kopie", true)
                        : Replaced{RetryWhileLocked(
                              host_, system_, [&] { return system_.Move(road.partial, central); })};
    if (replaced.stranded)
        return Refusal{kRefused,
                       "ACHTUNG: die zentrale Kopie " + central + " liegt jetzt als " +
                           road.vorher + " (" + win::SystemText(replaced.error) +
                           "); bitte von Hand in " + central + " umbenennen.",
                       true};
    if (replaced.error == ERROR_SUCCESS)
        return std::nullopt;
    if (road.vorherAside)
        system_.Move(road.aside, road.vorher); // a refusal shows in the look at the share
    if (replaced.error == ERROR_CANCELLED)
        return Refusal{kRefused, kStopped};
    const std::string lockFile = lockFileOf(central);
    const bool inAccess =
        replaced.error == ERROR_SHARING_VIOLATION && !lockFile.empty() && system_.IsFile(lockFile);
    return Refusal{kRefused, "Die zentrale Kopie " + central + " l\u00E4sst sich nicht ersetzen: " +
                                 win::SystemText(replaced.error) +
                                 (inAccess ? " Daneben liegt " + lockFile +
                                                 ": hat jemand sie in Access ge\u00F6ffnet?"
                                           : "")};
}

// The configuration could not take the new version: the central copy it
// names comes back, waiting for workstations that opened the new one
// meanwhile. What could not be undone is said, with what to do by hand.
std::optional<std::string> Publisher::undoReplace(const Road& road) {
    const std::string& central = road.entry.central;
    if (road.hadCentral && !road.centralPublished)
        return "ACHTUNG: die zentrale Kopie " + central +
               " ist jetzt die neue; sie war schon vorher nicht die ver\u00F6ffentlichte. "
               "Die Konfiguration nennt weiter die bisherige Version; bitte erneut "
               "ver\u00F6ffentlichen.";
    if (!road.hadCentral) {
        if (const DWORD error =
                RetryWhileLocked(host_, system_, [&] { return system_.Remove(central); }))
            return "ACHTUNG: die neue zentrale Kopie " + central +
                   " lie\u00DF sich nicht entfernen (" + win::SystemText(error) +
                   "); bitte von Hand l\u00F6schen.";
        return std::nullopt;
    }
    // The new copy steps aside under the partial name and goes.
    const Replaced undone = replaceWaiting(central, road.vorher, road.partial,
                                           "Arbeitspl\u00E4tze lesen gerade die neue zentrale "
                                           "Kopie; sie wird zur\u00FCckgenommen",
                                           false);
    if (undone.stranded)
        return "ACHTUNG: es gibt keine zentrale Kopie " + central + " mehr (" +
               win::SystemText(undone.error) + "); die bisherige liegt als " + road.vorher +
               ", bitte von Hand in " + central + " umbenennen.";
    if (undone.error != ERROR_SUCCESS)
        return "ACHTUNG: die zentrale Kopie lie\u00DF sich nicht zur\u00FCcksetzen (" +
               win::SystemText(undone.error) +
               "); sie ist die neue, die Konfiguration die alte. "
               "Die bisherige liegt als " +
               road.vorher +
               " daneben; bitte von Hand zur\u00FCckkopieren oder erneut ver\u00F6ffentlichen.";
    system_.Remove(road.partial);
    if (road.vorherAside)
        system_.Move(road.aside, road.vorher);
    return std::nullopt;
}

// In one step that keeps the file's permissions, never over a change
// someone saved meanwhile. The old text is kept by copy, so that the replace
// is one rename: a launcher starting at any moment finds a configuration.
std::optional<Publisher::Refusal> Publisher::placeConfiguration(const Entry& entry,
                                                                const std::string& temp) {
    if (std::optional<Refusal> r = unchanged(entry))
        return r;
    const std::string kept = KeptConfigurationPath(entry.iniPath);
    PartialFile keeping(system_, kept);
    const auto keep = [&]() -> std::optional<Refusal> {
        system_.Remove(kept); // one a killed publish of this process number left
        if (const Status written = system_.WriteNew(kept, entry.snapshot); !written.ok())
            return Refusal{kRefused, "Neben der Konfiguration kann nicht geschrieben werden (" +
                                         kept + "): " + win::SystemText(written.error)};
        return std::nullopt;
    };
    if (std::optional<Refusal> r = keep())
        return r;
    for (Waiting waiting(system_);;) {
        const DWORD error = system_.Replace(entry.iniPath, temp, "").error;
        // Without a backup named, a refused replace may have taken the old
        // one away or left it under a name of Windows' choosing: it comes
        // back from its kept copy, once a name still held by a reader is free.
        if (error != ERROR_SUCCESS && !system_.IsFile(entry.iniPath)) {
            if (RetryWhileLocked(host_, system_,
                                 [&] { return system_.Move(kept, entry.iniPath); })) {
                keeping.Placed();
                return Refusal{kRefused,
                               "ACHTUNG: die Konfiguration " + entry.iniPath + " liegt jetzt als " +
                                   kept + " (" + win::SystemText(error) + "); bitte von Hand in " +
                                   entry.iniPath + " umbenennen.",
                               true};
            }
            if (std::optional<Refusal> r = keep())
                return r;
        }
        const std::optional<DWORD> end = endOfWait(error, waiting.Waited(), true);
        if (end == ERROR_SUCCESS)
            return std::nullopt;
        if (end == ERROR_CANCELLED)
            return Refusal{kRefused, std::string(kStopped) +
                                         " Die Konfiguration wurde gerade gelesen; die zentrale "
                                         "Kopie wird zur\u00FCckgenommen."};
        if (end)
            return Refusal{kRefused,
                           "Die Konfiguration " + entry.iniPath +
                               " l\u00E4sst sich nicht schreiben: " + win::SystemText(*end)};
        if (error != ERROR_ACCESS_DENIED && waiting.TimeToSay())
            say_("Warte: die Konfiguration wird gerade gelesen (" +
                 std::to_string(waiting.Waited() / 1000) + " s von " +
                 std::to_string(kPatience / 1000) + " s) ...");
        system_.Pause(host_, kStep);
    }
}

void Publisher::log(const Road& road) {
    RunState run;
    run.logDir = road.entry.logDir;
    run.log.application = road.entry.displayName;
    run.log.installed = road.entry.version;
    run.log.configured = road.newVersion;
    NoteOutcome(
        run, RunResult::Published,
        std::string(road.request.kind == PublishRequest::Back ? "zur\u00FCckgeholt: " : "") +
            "Version " + std::to_string(road.newVersion) + ", " + std::to_string(road.size) +
            " Bytes, SHA-256 " + road.sha256);
    run.log.bytes = road.size;
    AppendRunLog(run, starter_);
}

int Publisher::publish(const PublishRequest& request, const std::string& iniPath) {
    Road road(request);
    win::File held;
    if (std::optional<Refusal> r = lock(iniPath, held))
        return refuse(*r);
    restoreKeptConfiguration(iniPath);
    if (std::optional<Refusal> r = load(iniPath, request.application, road.entry))
        return refuse(*r);
    if (std::optional<Refusal> r = oneServer(request, road.entry))
        return refuse(*r);
    const int32_t now = road.entry.version;
    if (request.version && *request.version <= now)
        return refuse({kFaultyCall, "/version " + std::to_string(*request.version) +
                                        " ist nicht h\u00F6her als die jetzige Version " +
                                        std::to_string(now) + "."});
    if (!request.version && now == INT32_MAX)
        return refuse({kFaultyCall, "version ist schon die h\u00F6chste Zahl."});
    road.newVersion = request.version.value_or(now + 1);
    if (readOnly(iniPath))
        return refuse({kRefused, "Die Konfiguration " + iniPath + " ist schreibgesch\u00FCtzt."});
    if (readOnly(road.entry.central))
        return refuse(
            {kRefused, "Die zentrale Kopie " + road.entry.central + " ist schreibgesch\u00FCtzt."});
    clearLeftovers(road.entry);
    road.entry.history =
        ParseReleaseHistory(system_.ReadAll(ReleaseHistoryPath(road.entry.central)).value_or(""));
    road.centralPublished =
        !system_.IsFile(road.entry.central) || isPublished(road.entry, road.entry.central);
    road.recordCompleted = completeRecord(road);
    if (std::optional<Refusal> r = chooseSource(road))
        return refuse(*r);
    // A refusal from here on says "nothing changed" only where that is so.
    road.before = lookAt(road);
    road.iniTemp = StagedConfigurationPath(iniPath);
    // Both go on every failure.
    road.releaseFile = ReleaseFilePath(road.entry.central, road.newVersion);
    PartialFile partial(system_, PartialCopyPath(road.entry.central));
    PartialFile iniTemp(system_, road.iniTemp);
    PartialFile releaseFile(system_, road.releaseFile);
    struct SeedGuard {
        PublishSystem& system;
        const std::string& path;
        bool placed = false;
        ~SeedGuard() {
            if (!placed && !path.empty())
                system.Remove(path);
        }
    } seed{system_, road.seeded};
    for (auto step :
         {&Publisher::checkSource, &Publisher::copyToPartial, &Publisher::judgeBytes,
          &Publisher::editConfiguration, &Publisher::stageConfiguration, &Publisher::keepRelease,
          &Publisher::unchangedConfiguration, &Publisher::replaceCentral}) {
        if (system_.StopRequested())
            return refuse(road, {kRefused, kStopped});
        if (std::optional<Refusal> r = (this->*step)(road))
            return refuse(road, *r);
    }
    partial.Placed();
    if (std::optional<Refusal> r = placeConfiguration(road.entry, road.iniTemp)) {
        if (std::optional<std::string> left = undoReplace(road)) {
            r->text += "\r\n" + *left;
            r->changed = true;
        }
        return refuse(road, *r);
    }
    iniTemp.Placed();
    releaseFile.Placed();
    seed.placed = true;
    if (road.vorherAside)
        system_.Remove(road.aside);
    recordRelease(road);
    log(road);
    say_((request.kind == PublishRequest::Back ? "Zur\u00FCckgeholt: " : "Ver\u00F6ffentlicht: ") +
         quoted(road.entry.displayName) + " [" + road.entry.section + "] Version " +
         std::to_string(road.newVersion) + " (vorher " + std::to_string(now) + "), " +
         std::to_string(road.size) + " Bytes, SHA-256 " + road.sha256 + ".");
    if (road.hadCentral && road.centralPublished)
        say_("Die bisherige zentrale Kopie liegt als " + road.vorher + " daneben.");
    return kDone;
}

// A publish ended while Windows had taken the old configuration away and
// before it came back from its kept copy: it comes back now.
void Publisher::restoreKeptConfiguration(const std::string& iniPath) {
    if (system_.IsFile(iniPath))
        return;
    std::vector<std::string> kept = FindPublishLeftovers(system_, iniPath, iniPath).kept;
    std::sort(kept.begin(), kept.end(), [&](const std::string& a, const std::string& b) {
        return system_.Look(a).value_or(FileLook{}).written >
               system_.Look(b).value_or(FileLook{}).written;
    }); // the newest first
    for (const std::string& newest : kept)
        if (system_.Move(newest, iniPath).ok()) {
            say_("Die Konfiguration fehlte; sie kommt zur\u00FCck aus " + newest +
                 ", wo eine abgebrochene Ver\u00F6ffentlichung sie lie\u00DF.");
            return;
        }
}

// The release the configuration names lies as .vorher, the central copy is
// another or none: it comes back, the other one going by a name of its own.
std::string Publisher::restorePublished(const Entry& entry) {
    const std::string vorher = VorherPath(entry.central);
    const std::string other = PartialCopyPath(entry.central);
    const Status restored = system_.IsFile(entry.central)
                                ? system_.Replace(entry.central, vorher, other)
                                : system_.Move(vorher, entry.central);
    if (!restored.ok())
        return "ACHTUNG: die ver\u00F6ffentlichte Kopie " + vorher +
               " l\u00E4sst sich nicht nach " + entry.central + " zur\u00FCckholen (" +
               win::SystemText(restored.error) + ")";
    system_.Remove(other);
    return "die ver\u00F6ffentlichte Kopie aus " + vorher + " zur\u00FCck nach " + entry.central;
}

// Whether the file under `path` is the one the configuration names: by its
// size, then its hash. Unknown (nothing published) counts as yes.
bool Publisher::isPublished(const Entry& entry, const std::string& path) {
    const PublishedCopy& p = entry.published;
    if (!p.fault.empty())
        return false;
    if (p.size && system_.FileSize(path) != p.size)
        return false;
    return !p.sha256 || system_.HashOf(path) == p.sha256;
}

// What a publish that was ended midway left (killed, a power cut, a PC
// that froze): the share comes back to a state the configuration names, and
// the leftovers go, in one line. Ended between the central copy's replace
// and the configuration's, the central copy is no release the configuration
// names and the one it names lies as .vorher: it comes back.
void Publisher::clearLeftovers(const Entry& entry) {
    const PublishLeftovers left = FindPublishLeftovers(system_, entry.iniPath, entry.central);
    if (left.All().empty())
        return;
    const std::string vorher = VorherPath(entry.central);
    std::vector<std::string> done;
    const bool ended = !left.staged.empty() || !left.kept.empty() || !left.asides.empty();
    if (ended && entry.published.Checked() && system_.IsFile(vorher) &&
        !(system_.IsFile(entry.central) && isPublished(entry, entry.central)) &&
        isPublished(entry, vorher))
        done.push_back(restorePublished(entry));
    std::vector<std::string> leftover = left.partials;
    leftover.insert(leftover.end(), left.staged.begin(), left.staged.end());
    const std::pair<const std::vector<std::string>*, std::string> restorable[] = {
        {&left.kept, entry.iniPath}, {&left.asides, vorher}};
    for (const auto& [files, name] : restorable)
        for (const std::string& file : *files) {
            if (!system_.IsFile(name) && system_.Move(file, name).ok())
                done.push_back(file + " zur\u00FCck nach " + name);
            else
                leftover.push_back(file);
        }
    for (const std::string& file : leftover)
        if (system_.Remove(file).ok()) // one still held refuses, and waits for the next time
            done.push_back(file + " entfernt");
    if (!done.empty())
        say_("Aufger\u00E4umt, was eine abgebrochene Ver\u00F6ffentlichung hinterlie\u00DF: " +
             joined(done) + ".");
}

// The source of a rollback: the release before the current one by the
// record, or the one named; without a record, <mdbname>.vorher.
std::optional<Publisher::Refusal> Publisher::chooseSource(Road& road) {
    const Entry& entry = road.entry;
    if (road.request.kind != PublishRequest::Back) {
        road.source = road.request.source;
        return std::nullopt;
    }
    if (road.request.backTo) {
        road.target = FindRelease(entry.history, *road.request.backTo);
        if (!road.target)
            return Refusal{kFaultyCall, "Version " + std::to_string(*road.request.backTo) +
                                            " steht nicht in " + ReleaseHistoryPath(entry.central) +
                                            " (vorlundpublish /versionen zeigt die Liste)."};
    } else if (entry.published.sha256) {
        road.target = ReleaseBefore(entry.history, *entry.published.sha256);
    }
    if (!road.target && !entry.history.empty())
        return Refusal{kRefused, "Vor der jetzigen Version steht keine in " +
                                     ReleaseHistoryPath(entry.central) +
                                     " (vorlundpublish /versionen zeigt die Liste)."};
    road.source = road.target ? ReleaseFilePath(entry.central, road.target->version)
                              : VorherPath(entry.central);
    if (road.target && !system_.IsFile(road.source))
        return Refusal{kRefused, "Die Datei der Version " + std::to_string(road.target->version) +
                                     " fehlt: " + road.source};
    return std::nullopt;
}

// Bytes already out are no new release, and a rollback puts out exactly the
// bytes its record names, never those of the central copy again.
std::optional<Publisher::Refusal> Publisher::judgeBytes(Road& road) {
    const Entry& entry = road.entry;
    const bool same = road.centralPublished && entry.published.sha256 == road.sha256;
    if (road.request.kind == PublishRequest::Publish && same && road.recordCompleted)
        return Refusal{kDone,
                       road.source + " ist schon ver\u00F6ffentlicht (Version " +
                           std::to_string(entry.version) +
                           "); die abgebrochene Ver\u00F6ffentlichung ist damit abgeschlossen.",
                       true};
    if (road.request.kind == PublishRequest::Publish && same)
        return Refusal{kRefused, road.source + " ist schon ver\u00F6ffentlicht (Version " +
                                     std::to_string(entry.version) + ", SHA-256 " + road.sha256 +
                                     ")."};
    if (road.target && road.target->sha256 != road.sha256)
        return Refusal{kRefused, road.source + " ist nicht mehr die Version " +
                                     std::to_string(road.target->version) + " (SHA-256 " +
                                     road.sha256 + ", ver\u00F6ffentlicht " + road.target->sha256 +
                                     ")."};
    if (road.request.kind == PublishRequest::Back && same)
        return Refusal{kRefused, road.source + " hat dieselben Bytes wie die zentrale Kopie; "
                                               "es gibt nichts zur\u00FCckzuholen."};
    return std::nullopt;
}

// The new release's own copy, for a later rollback, before the share
// changes: server to server.
std::optional<Publisher::Refusal> Publisher::keepRelease(Road& road) {
    // The first record starts with the release the configuration names now
    // (by its hash where it has one).
    Entry& entry = road.entry;
    if (entry.history.empty() && road.centralPublished && system_.IsFile(entry.central)) {
        const std::optional<std::string> sha =
            entry.published.sha256 ? entry.published.sha256 : system_.HashOf(entry.central);
        const std::optional<int64_t> size = system_.FileSize(entry.central);
        const std::string file = ReleaseFilePath(entry.central, entry.version);
        const Status copied =
            sha && size ? system_.Copy(entry.central, file) : Status{ERROR_READ_FAULT};
        if (!copied.ok()) {
            system_.Remove(file);
            return Refusal{kRefused, "Neben der zentralen Kopie kann nicht geschrieben werden (" +
                                         file + "): " + win::SystemText(copied.error)};
        }
        road.seeded = file;
        entry.history.push_back({entry.version, *size, *sha, "", std::nullopt});
    }
    if (const Status copied = system_.Copy(road.partial, road.releaseFile); !copied.ok())
        return Refusal{kRefused, "Neben der zentralen Kopie kann nicht geschrieben werden (" +
                                     road.releaseFile + "): " + win::SystemText(copied.error)};
    return std::nullopt;
}

// A central copy that no configuration names (a publish ended midway, a
// copy put there by hand) is replaced without becoming the release before:
// <mdbname>.vorher keeps the last published one.
std::optional<Publisher::Refusal> Publisher::replaceUnpublished(Road& road) {
    say_("Die zentrale Kopie ist nicht die ver\u00F6ffentlichte (eine abgebrochene "
         "Ver\u00F6ffentlichung?); die zuletzt ver\u00F6ffentlichte bleibt als R\u00FCckfall "
         "erhalten.");
    const Replaced replaced =
        replaceWaiting(road.entry.central, road.partial, "",
                       "Arbeitspl\u00E4tze lesen gerade die zentrale Kopie", true);
    if (replaced.error == ERROR_SUCCESS)
        return std::nullopt;
    if (replaced.error == ERROR_CANCELLED)
        return Refusal{kRefused, kStopped};
    return Refusal{kRefused,
                   "Die zentrale Kopie " + road.entry.central +
                       " l\u00E4sst sich nicht ersetzen: " + win::SystemText(replaced.error)};
}

// The record gets the new release; the oldest go, with their copies. The
// publish is done whatever happens here: a record that cannot be written is
// said, and the next publish writes it.
void Publisher::recordRelease(const Road& road) {
    Release added{road.newVersion, road.size, road.sha256, win::LocalTimeText(), std::nullopt};
    if (road.request.kind == PublishRequest::Back) {
        const std::optional<Release> restored =
            road.target ? road.target : ReleaseWithBytes(road.entry.history, road.sha256);
        if (restored)
            added.restores = restored->version;
    }
    writeRecord(road.entry, added);
}

bool Publisher::writeRecord(const Entry& entry, const Release& added) {
    std::vector<Release> dropped;
    const std::vector<Release> history =
        WithRelease(entry.history, added, entry.releasesKept, dropped);
    const std::string path = ReleaseHistoryPath(entry.central);
    const std::string temp = StagedConfigurationPath(path);
    PartialFile staged(system_, temp);
    system_.Remove(temp);
    Status written = system_.WriteNew(temp, FormatReleaseHistory(history));
    if (written.ok())
        written = system_.IsFile(path) ? system_.Replace(path, temp, "") : system_.Move(temp, path);
    if (!written.ok()) {
        say_("WARNUNG: die Liste der Versionen " + path + " l\u00E4sst sich nicht schreiben (" +
             win::SystemText(written.error) + ").");
        return false;
    }
    staged.Placed();
    for (const Release& old : dropped)
        if (old.version != added.version)
            system_.Remove(ReleaseFilePath(entry.central, old.version));
    return true;
}

// A publish ended after the configuration named its release, before the
// record did: the record gets it now.
bool Publisher::completeRecord(Road& road) {
    Entry& e = road.entry;
    if (e.history.empty() || !e.published.sha256 || !e.published.size || !road.centralPublished ||
        FindRelease(e.history, e.version) || !system_.IsFile(ReleaseFilePath(e.central, e.version)))
        return false;
    const Release current{e.version, *e.published.size, *e.published.sha256, win::LocalTimeText(),
                          std::nullopt};
    if (!writeRecord(e, current))
        return false;
    std::vector<Release> dropped;
    e.history = WithRelease(e.history, current, e.releasesKept, dropped);
    say_("Die Liste der Versionen nennt jetzt auch Version " + std::to_string(e.version) +
         ", die eine abgebrochene Ver\u00F6ffentlichung schon in die Konfiguration geschrieben "
         "hatte.");
    return true;
}

int Publisher::listReleases(const PublishRequest& request, const std::string& iniPath) {
    Entry entry;
    if (std::optional<Refusal> r = load(iniPath, request.application, entry))
        return refuse(*r);
    if (std::optional<Refusal> r = oneServer(request, entry))
        return refuse(*r);
    const std::string path = ReleaseHistoryPath(entry.central);
    const std::vector<Release> history = ParseReleaseHistory(system_.ReadAll(path).value_or(""));
    if (history.empty()) {
        say_("Keine Liste der Versionen (" + path + "); /zurueck holt " +
             VorherPath(entry.central) + " zur\u00FCck.");
        return kDone;
    }
    say_("Ver\u00F6ffentlichte Versionen von " + quoted(entry.displayName) + " (" + path + "):");
    for (const Release& r : history)
        say_("  Version " + std::to_string(r.version) +
             (r.restores ? " (= Version " + std::to_string(*r.restores) + ")" : "") + ", " +
             std::to_string(r.size) + " Bytes, SHA-256 " + r.sha256 + ", " + r.published +
             (entry.published.sha256 == r.sha256 && entry.version == r.version ? " \u2013 aktuell"
                                                                               : "") +
             (system_.IsFile(ReleaseFilePath(entry.central, r.version)) ? ""
                                                                        : " \u2013 Datei fehlt"));
    return kDone;
}

int Publisher::setLock(const PublishRequest& request, const std::string& iniPath) {
    win::File held;
    Entry entry;
    if (std::optional<Refusal> r = lock(iniPath, held))
        return refuse(*r);
    if (std::optional<Refusal> r = load(iniPath, request.application, entry))
        return refuse(*r);
    ProfileDocument doc(entry.snapshot, win::DecodeCodePage, win::EncodeCodePage);
    if (request.kind == PublishRequest::Lock && !doc.Set(entry.section, "gesperrt", request.text))
        return refuse({kFaultyCall, "Der Text l\u00E4sst sich in dieser Konfiguration nicht so "
                                    "schreiben, wie Vorlund ihn liest (Zeilenumbruch, "
                                    "Anf\u00FChrungszeichen au\u00DFen oder ein Zeichen, das "
                                    "ihre Codierung nicht kennt)."});
    const bool global = !ProfileBytes(entry.snapshot, win::DecodeCodePage)
                             .ReadString("SETUP", "gesperrt", "")
                             .empty();
    if (request.kind == PublishRequest::Unlock && !doc.Remove(entry.section, "gesperrt")) {
        say_(quoted(entry.displayName) + " war nicht gesperrt." +
             (global ? " Aber gesperrt= in [SETUP] sperrt alle Anwendungen." : ""));
        return kDone;
    }
    const std::string temp = StagedConfigurationPath(iniPath);
    PartialFile staged(system_, temp);
    if (std::optional<Refusal> r = stage(entry, doc.Bytes(), temp))
        return refuse(*r);
    if (std::optional<Refusal> r = placeConfiguration(entry, temp))
        return refuse(*r);
    staged.Placed();
    say_(quoted(entry.displayName) +
         (request.kind == PublishRequest::Lock
              ? " ist gesperrt: " + request.text
              : " ist freigegeben." + std::string(global ? " Aber gesperrt= in "
                                                           "[SETUP] sperrt alle "
                                                           "Anwendungen."
                                                         : "")));
    return kDone;
}

int Publisher::Run(const PublishRequest& request, const std::string& iniPath) {
    switch (request.kind) {
    case PublishRequest::Help:
        say_(kUsage);
        return kDone;
    case PublishRequest::Publish:
    case PublishRequest::Back:
        return publish(request, iniPath);
    case PublishRequest::Versions:
        return listReleases(request, iniPath);
    case PublishRequest::Lock:
    case PublishRequest::Unlock:
        break;
    }
    return setLock(request, iniPath);
}

} // namespace vorlund::publish

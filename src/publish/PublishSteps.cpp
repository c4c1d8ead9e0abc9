// The steps of the road up to the share's change: the source chosen and
// checked, copied beside the central copy and read back, judged by its bytes,
// the new configuration made and staged, the release's own copy kept.
#include "base/HashPipeline.h"
#include "config/ProfileEditor.h"
#include "prepare/PartialFiles.h"
#include "prepare/Preparation.h"
#include "publish/PublishRoad.h"
#include "win/CodePage.h"
#include "win/Paths.h"
#include "win/Sha256.h"
#include "win/SystemText.h"

#include <array>

namespace vorlund::publish {

namespace {

bool isAccessFile(const std::string& path) {
    return IsAccessExtension(ExtensionOf(path));
}

// A Jet (.mdb) or ACE (.accdb) database names itself at byte 4.
bool hasDatabaseHeader(std::string_view head) {
    return head.size() >= 19 &&
           (head.substr(4, 15) == "Standard Jet DB" || head.substr(4, 15) == "Standard ACE DB");
}

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

} // namespace

// The source of a promotion: the pilot ring's copy on the share, which must
// still be the bytes its keys name.
std::optional<Publisher::Refusal> Publisher::choosePilotRelease(Road& road) {
    const Entry& entry = road.entry;
    if (entry.pilotVersion <= entry.version || !entry.pilotPublished.sha256 ||
        !entry.pilotPublished.size)
        return Refusal{kRefused, "[" + entry.section +
                                     "] hat keine Vorab-Version \u00FCber der Version f\u00FCr "
                                     "alle (vorabversion, vorabgroesse, vorabpruefsumme)."};
    road.source = entry.pilotCopy;
    road.target = Release{entry.pilotVersion,
                          *entry.pilotPublished.size,
                          *entry.pilotPublished.sha256,
                          {},
                          std::nullopt};
    return std::nullopt;
}

// The source of a rollback: the release before the current one by the
// record, or the one named; without a record, <mdbname>.vorher.
std::optional<Publisher::Refusal> Publisher::chooseSource(Road& road) {
    const Entry& entry = road.entry;
    if (road.request.kind == PublishRequest::Promote)
        return choosePilotRelease(road);
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

std::optional<Publisher::Refusal> Publisher::checkSource(Road& road) {
    const std::string& source = road.source;
    if (road.request.kind == PublishRequest::Back && !system_.IsFile(source))
        return Refusal{kRefused, "Es gibt keine vorherige Version: " + source};
    if (road.request.kind == PublishRequest::Promote && !system_.IsFile(source))
        return Refusal{kRefused, "Die Vorab-Version fehlt: " + source};
    if (system_.IsDirectory(source))
        return Refusal{kFaultyCall, source + " ist ein Ordner, keine Datei."};
    if (!system_.IsFile(source))
        return Refusal{kFaultyCall, "Die Datei " + source + " gibt es nicht."};
    if (win::SameFile(source, road.entry.central))
        return Refusal{kFaultyCall, source + " ist die zentrale Kopie selbst."};
    // Others may read it meanwhile, nobody may write: Access holds an open
    // database for writing, and a copy of it may hold half-written pages.
    Opened opened = system_.OpenSource(source);
    const std::string lockFile = LockFileOf(source);
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
    road.partial = PartialCopyPath(road.destination);
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
    if ((road.request.kind == PublishRequest::Back ||
         road.request.kind == PublishRequest::Promote) &&
        same)
        return Refusal{kRefused, road.source + " hat dieselben Bytes wie die zentrale Kopie; "
                                               "es gibt nichts zur\u00FCckzuholen."};
    return std::nullopt;
}

Publisher::Refusal Publisher::uneditable(const Entry& entry, const std::string& what) {
    return Refusal{kRefused, "Die Konfiguration l\u00E4sst sich nicht so \u00E4ndern, dass "
                             "Vorlund " +
                                 what + " liest (" + entry.iniPath + ")."};
}

// Prepared before the share is touched: a configuration that cannot take
// the new values refuses while nothing has changed.
std::optional<Publisher::Refusal> Publisher::editConfiguration(Road& road) {
    ProfileDocument doc(road.entry.snapshot, win::DecodeCodePage, win::EncodeCodePage);
    const std::string& section = road.entry.section;
    if (!doc.Set(section, "version", std::to_string(road.newVersion)) ||
        !doc.Set(section, "pruefsumme", road.sha256) ||
        !doc.Set(section, "groesse", std::to_string(road.size)))
        return uneditable(road.entry, "die neuen Werte");
    if (std::optional<Refusal> r = sign(road, doc))
        return r;
    // Promoted, the pilot ring's release is everyone's: the ring's keys go,
    // the list of who is in it stays for the next trial.
    if (road.request.kind == PublishRequest::Promote)
        RemovePilotRelease(doc, section);
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
        const std::string& file =
            road.seeded.emplace(system_, ReleaseFilePath(entry.central, entry.version)).Path();
        Status copied = sha && size ? system_.Copy(entry.central, file) : Status{ERROR_READ_FAULT};
        if (copied.ok() && system_.HashOf(file) != sha)
            copied = Status{ERROR_CRC}; // read back other than the central copy
        if (!copied.ok())
            return Refusal{kRefused, "Neben der zentralen Kopie kann nicht geschrieben werden (" +
                                         file + "): " + win::SystemText(copied.error)};
        entry.history.push_back({entry.version, *size, *sha, "", std::nullopt});
    }
    Status copied = system_.Copy(road.partial, road.releaseFile);
    // It may be the last copy of this release one day: read back as the
    // partial copy was.
    if (copied.ok() && system_.HashOf(road.releaseFile) != road.sha256)
        copied = Status{ERROR_CRC};
    if (!copied.ok())
        return Refusal{kRefused, "Neben der zentralen Kopie kann nicht geschrieben werden (" +
                                     road.releaseFile + "): " + win::SystemText(copied.error)};
    return std::nullopt;
}

} // namespace vorlund::publish

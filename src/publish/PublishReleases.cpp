// The record of published releases: written after each publish, completed
// after one that ended midway, listed by /versionen.
#include "prepare/Messages.h"
#include "prepare/PartialFiles.h"
#include "publish/PublishRoad.h"
#include "win/Clock.h"
#include "win/SystemText.h"

namespace vorlund::publish {

using texts::quoted;

// The record gets the new release; the oldest go, with their copies. The
// publish is done whatever happens here: a record that cannot be written is
// said, and the next publish writes it.
void Publisher::recordRelease(const Road& road) {
    Release added{road.newVersion, road.size, road.sha256, win::LocalTimeText(), std::nullopt};
    if (road.request.kind == PublishRequest::Back) {
        const std::optional<Release> restored =
            road.target ? road.target : ReleaseWithBytes(road.entry.history, road.sha256);
        added.restores = restored ? restored->version : kBeforeTheRecord;
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
    // A refused replace without a backup name may have taken the old record
    // away: the new one takes its name.
    if (!written.ok() && !system_.IsFile(path))
        written = system_.Move(temp, path);
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

} // namespace vorlund::publish

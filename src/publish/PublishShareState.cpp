// Look before you report: what lies under each name after a failure, and
// whether that is what lay there before.
#include "prepare/PartialFiles.h"
#include "publish/PublishRoad.h"

namespace vorlund::publish {

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

} // namespace vorlund::publish

// What a publish ended midway left: the share brought back to a state the
// configuration names, and the leftovers cleared.
#include "prepare/PartialFiles.h"
#include "publish/PublishRoad.h"
#include "win/SystemText.h"

#include <algorithm>

namespace vorlund::publish {

namespace {

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

} // namespace

// A publish ended while Windows had taken the old configuration away and
// before it came back from its kept copy: it comes back now.
void Publisher::restoreKeptConfiguration(const std::string& iniPath) {
    if (system_.IsFile(iniPath))
        return;
    std::vector<std::string> kept = KeptConfigurations(system_, iniPath);
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

// What a /vorab ended midway left beside the ring's copy: the copy it set
// aside goes back where the configuration still names it, the rest goes.
void Publisher::clearPilotLeftovers(const Entry& entry) {
    const PublishLeftovers left = FindPublishLeftovers(system_, entry.iniPath, entry.pilotCopy);
    std::vector<std::string> done;
    for (const std::string& file : left.asides)
        if (!system_.IsFile(entry.pilotCopy) && system_.Move(file, entry.pilotCopy).ok())
            done.push_back(file + " zur\u00FCck nach " + entry.pilotCopy);
        else if (system_.Remove(file).ok())
            done.push_back(file + " entfernt");
    for (const std::string& file : left.partials)
        if (system_.Remove(file).ok())
            done.push_back(file + " entfernt");
    if (!done.empty())
        say_(
            "Aufger\u00E4umt, was eine abgebrochene Vorab-Ver\u00F6ffentlichung hinterlie\u00DF: " +
            joined(done) + ".");
}

} // namespace vorlund::publish

// The replaces of the road: the central copy and the configuration, each in
// one step, waiting for readers by the clock, and taken back where the
// configuration could not follow.
#include "prepare/PartialFiles.h"
#include "prepare/Retry.h"
#include "publish/PublishRoad.h"
#include "win/SystemText.h"

#include <algorithm>

namespace vorlund::publish {

namespace {

bool retryable(DWORD error) {
    return IsTransientLock(error) || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

} // namespace

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
    const std::string lockFile = LockFileOf(central);
    const bool inAccess =
        replaced.error == ERROR_SHARING_VIOLATION && !lockFile.empty() && system_.IsFile(lockFile);
    return Refusal{kRefused, "Die zentrale Kopie " + central + " l\u00E4sst sich nicht ersetzen: " +
                                 win::SystemText(replaced.error) +
                                 (inAccess ? " Daneben liegt " + lockFile +
                                                 ": hat jemand sie in Access ge\u00F6ffnet?"
                                           : "")};
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
    // A refused replace without a backup name may have taken the old one
    // away, which nobody published: the new copy takes its name.
    if (!system_.IsFile(road.entry.central) && RetryWhileLocked(host_, system_, [&] {
                                                   return system_.Move(road.partial,
                                                                       road.entry.central);
                                               }) == ERROR_SUCCESS)
        return std::nullopt;
    if (replaced.error == ERROR_CANCELLED)
        return Refusal{kRefused, kStopped};
    return Refusal{kRefused,
                   "Die zentrale Kopie " + road.entry.central +
                       " l\u00E4sst sich nicht ersetzen: " + win::SystemText(replaced.error)};
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

} // namespace vorlund::publish

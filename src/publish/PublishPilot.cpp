// The pilot ring's road: a new front-end put out beside the central copy for
// the ring's PCs only, and the trial ended, the ring back on everyone's
// release under a higher number. Every step that fails leaves the share and
// the configuration as they were; the general release is never touched.
#include "config/ProfileEditor.h"
#include "prepare/PartialFiles.h"
#include "prepare/Retry.h"
#include "publish/PublishRoad.h"
#include "win/CodePage.h"
#include "win/SystemText.h"

namespace vorlund::publish {
namespace {

bool setAll(ProfileDocument& doc, const std::string& section,
            std::initializer_list<std::pair<const char*, std::string>> values) {
    for (const auto& [key, value] : values)
        if (!doc.Set(section, key, value))
            return false;
    return true;
}

} // namespace

std::optional<Publisher::Refusal> Publisher::preparePilot(Road& road, const std::string& iniPath,
                                                          win::File& held) {
    if (std::optional<Refusal> r = prepare(road, iniPath, held))
        return r;
    clearPilotLeftovers(road.entry);
    return std::nullopt;
}

// The ring's keys for the new bytes, unless they are a release already.
std::optional<Publisher::Refusal> Publisher::editPilotConfiguration(Road& road) {
    const Entry& entry = road.entry;
    if (road.sha256 == entry.published.sha256)
        return Refusal{kRefused, road.source + " ist die Version f\u00FCr alle (Version " +
                                     std::to_string(entry.version) + ")."};
    if (entry.pilotVersion > entry.version && road.sha256 == entry.pilotPublished.sha256)
        return Refusal{kRefused, road.source + " ist schon die Vorab-Version (Version " +
                                     std::to_string(entry.pilotVersion) + ")."};
    ProfileDocument doc(entry.snapshot, win::DecodeCodePage, win::EncodeCodePage);
    if (!setAll(doc, entry.section,
                {{"vorabversion", std::to_string(road.newVersion)},
                 {"vorabpruefsumme", road.sha256},
                 {"vorabgroesse", std::to_string(road.size)}}))
        return uneditable(entry, "die neuen Werte");
    if (std::optional<Refusal> r = sign(road, doc))
        return r;
    road.newIni = doc.Bytes();
    return std::nullopt;
}

// The ring's copy first: until the configuration names it, a ring PC finds
// bytes other than published and keeps what it has. The one before waits as
// `before`.
std::optional<Publisher::Refusal>
Publisher::placePilotCopy(const Road& road, const std::string& before, bool hadPilot) {
    const Entry& entry = road.entry;
    system_.Remove(before);
    const Replaced placed =
        hadPilot ? replaceWaiting(entry.pilotCopy, road.partial, before,
                                  "Arbeitspl\u00E4tze lesen gerade die Vorab-Kopie", true)
                 : Replaced{system_.Move(road.partial, entry.pilotCopy).error};
    if (placed.error == ERROR_SUCCESS)
        return std::nullopt;
    Refusal r{kRefused, "Die Vorab-Kopie " + entry.pilotCopy +
                            " kann nicht ersetzt werden: " + win::SystemText(placed.error)};
    // The old ring copy went to its backup's name, and did not come back.
    if (placed.stranded && RetryWhileLocked(host_, system_, [&] {
                               return system_.Move(before, entry.pilotCopy);
                           }) != ERROR_SUCCESS) {
        r.text += "\r\nACHTUNG: die bisherige Vorab-Kopie liegt als " + before + "; bitte in " +
                  entry.pilotCopy + " umbenennen.";
        r.changed = true;
    }
    return r;
}

int Publisher::publishPilot(const PublishRequest& request, const std::string& iniPath) {
    Road road(request);
    win::File held;
    if (std::optional<Refusal> r = preparePilot(road, iniPath, held))
        return refuse(*r);
    Entry& entry = road.entry;
    road.source = request.source;
    road.destination = entry.pilotCopy;
    if (system_.IsReadOnly(entry.pilotCopy))
        return refuse(
            {kRefused, "Die Vorab-Kopie " + entry.pilotCopy + " ist schreibgesch\u00FCtzt."});
    road.iniTemp = StagedConfigurationPath(iniPath);
    PartialFile partial(system_, PartialCopyPath(entry.pilotCopy));
    PartialFile iniTemp(system_, road.iniTemp);
    for (auto step : {&Publisher::checkSource, &Publisher::copyToPartial,
                      &Publisher::editPilotConfiguration, &Publisher::stageConfiguration}) {
        if (system_.StopRequested())
            return refuse({kRefused, kStopped});
        if (std::optional<Refusal> r = (this->*step)(road))
            return refuse(*r);
    }
    const std::string before = AsidePath(entry.pilotCopy);
    const bool hadPilot = system_.IsFile(entry.pilotCopy);
    if (std::optional<Refusal> r = placePilotCopy(road, before, hadPilot))
        return refuse(*r);
    partial.Placed();
    if (std::optional<Refusal> r = placeConfiguration(entry, road.iniTemp)) {
        if (std::optional<std::string> left = restorePilot(entry, before, road.partial, hadPilot)) {
            r->text += "\r\n" + *left;
            r->changed = true;
        }
        return refuse(*r);
    }
    iniTemp.Placed();
    system_.Remove(before);
    log(road);
    sayDone(road);
    return kDone;
}

// Back to the ring's release the configuration still names: the old copy
// replaces the new one, which goes.
std::optional<std::string> Publisher::restorePilot(const Entry& entry, const std::string& before,
                                                   const std::string& partial, bool hadPilot) {
    if (!hadPilot) {
        if (RetryWhileLocked(host_, system_, [&] { return system_.Remove(entry.pilotCopy); }) ==
            ERROR_SUCCESS)
            return std::nullopt;
        return "ACHTUNG: " + entry.pilotCopy +
               " ist schon die neue Vorab-Version; die Vorab-PCs installieren sie nicht, bis "
               "sie erneut ver\u00F6ffentlicht ist.";
    }
    const Replaced undone =
        replaceWaiting(entry.pilotCopy, before, partial,
                       "Arbeitspl\u00E4tze lesen gerade die neue Vorab-Kopie", false);
    if (undone.error == ERROR_SUCCESS) {
        system_.Remove(partial);
        return std::nullopt;
    }
    if (!system_.IsFile(entry.pilotCopy) && system_.IsFile(before) &&
        system_.Move(before, entry.pilotCopy).ok())
        return std::nullopt;
    return "ACHTUNG: die bisherige Vorab-Kopie liegt als " + before + ", unter " + entry.pilotCopy +
           (system_.IsFile(entry.pilotCopy) ? " die neue" : " nichts") + " (" +
           win::SystemText(undone.error) + "); bitte " + before + " in " + entry.pilotCopy +
           " umbenennen.";
}

int Publisher::endPilot(const PublishRequest& request, const std::string& iniPath) {
    Road road(request);
    win::File held;
    if (std::optional<Refusal> r = preparePilot(road, iniPath, held))
        return refuse(*r);
    Entry& entry = road.entry;
    if (entry.pilotVersion == 0)
        return refuse({kRefused, "[" + entry.section + "] hat keine Vorab-Version."});
    // The ring goes back to the central copy's bytes, so they must be the
    // published ones.
    if (!entry.published.sha256 || !entry.published.size || !isPublished(entry, entry.central))
        return refuse({kRefused, "Die zentrale Kopie " + entry.central +
                                     " ist nicht die ver\u00F6ffentlichte; bitte zuerst "
                                     "ver\u00F6ffentlichen."});
    road.size = *entry.published.size;
    road.sha256 = *entry.published.sha256;
    road.iniTemp = StagedConfigurationPath(iniPath);
    PartialFile iniTemp(system_, road.iniTemp);
    ProfileDocument doc(entry.snapshot, win::DecodeCodePage, win::EncodeCodePage);
    if (!doc.Set(entry.section, "version", std::to_string(road.newVersion)))
        return refuse(uneditable(entry, "die neuen Werte"));
    if (std::optional<Refusal> r = sign(road, doc))
        return refuse(*r);
    RemovePilotRelease(doc, entry.section);
    road.newIni = doc.Bytes();
    if (std::optional<Refusal> r = stage(entry, road.newIni, road.iniTemp))
        return refuse(*r);
    if (std::optional<Refusal> r = placeConfiguration(entry, road.iniTemp))
        return refuse(*r);
    iniTemp.Placed();
    system_.Remove(entry.pilotCopy); // no PC reads it any more
    log(road);
    sayDone(road);
    say_("Alle PCs installieren beim n\u00E4chsten Start die Version f\u00FCr alle unter der "
         "neuen Nummer.");
    return kDone;
}

} // namespace vorlund::publish

#include "publish/Publisher.h"

#include "prepare/Messages.h"
#include "prepare/PartialFiles.h"
#include "prepare/RunLogFile.h"
#include "publish/PublishRoad.h"

#include <algorithm>

namespace vorlund::publish {

using texts::quoted;

int Publisher::refuse(const Refusal& r) {
    say_(r.text);
    if (!r.changed)
        say_(r.code == kRefused ? "Nichts ge\u00E4ndert."
                                : "Nichts ge\u00E4ndert; siehe vorlundpublish /?.");
    return r.code;
}

void Publisher::log(const Road& road) {
    RunState run;
    run.logDir = road.entry.logDir;
    run.log.application = road.entry.displayName;
    run.log.installed = road.entry.version;
    run.log.configured = road.newVersion;
    run.log.ring = road.request.kind == PublishRequest::Pilot ? "vorab" : "";
    NoteOutcome(run, RunResult::Published,
                std::string(road.request.kind == PublishRequest::Back       ? "zur\u00FCckgeholt: "
                            : road.request.kind == PublishRequest::Promote  ? "f\u00FCr alle: "
                            : road.request.kind == PublishRequest::EndPilot ? "Vorab beendet: "
                                                                            : "") +
                    "Version " + std::to_string(road.newVersion) + ", " +
                    std::to_string(road.size) + " Bytes, SHA-256 " + road.sha256);
    run.log.bytes = road.size;
    AppendRunLog(run, starter_);
}

std::optional<Publisher::Refusal> Publisher::prepare(Road& road, const std::string& iniPath,
                                                     win::File& held) {
    if (std::optional<Refusal> r = lock(iniPath, held))
        return r;
    restoreKeptConfiguration(iniPath);
    if (std::optional<Refusal> r = load(iniPath, road.request.application, road.entry))
        return r;
    if (std::optional<Refusal> r = oneServer(road.request, road.entry))
        return r;
    if (std::optional<Refusal> r = loadKey(road))
        return r;
    road.entry.history =
        ParseReleaseHistory(system_.ReadAll(ReleaseHistoryPath(road.entry.central)).value_or(""));
    if (std::optional<Refusal> r = chooseVersion(road))
        return r;
    if (system_.IsReadOnly(iniPath))
        return Refusal{kRefused, "Die Konfiguration " + iniPath + " ist schreibgesch\u00FCtzt."};
    return std::nullopt;
}

int Publisher::publish(const PublishRequest& request, const std::string& iniPath) {
    Road road(request);
    win::File held;
    if (std::optional<Refusal> r = prepare(road, iniPath, held))
        return refuse(*r);
    road.destination = road.entry.central;
    if (system_.IsReadOnly(road.entry.central))
        return refuse(
            {kRefused, "Die zentrale Kopie " + road.entry.central + " ist schreibgesch\u00FCtzt."});
    clearLeftovers(road.entry);
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
    if (road.seeded)
        road.seeded->Placed();
    if (road.vorherAside)
        system_.Remove(road.aside);
    if (request.kind == PublishRequest::Promote)
        system_.Remove(road.entry.pilotCopy); // the ring runs everyone's release now
    recordRelease(road);
    log(road);
    sayDone(road);
    return kDone;
}

// Numbers only grow, past any the record gave out: an INI put back to an
// older text must not hand a version out twice.
std::optional<Publisher::Refusal> Publisher::chooseVersion(Road& road) {
    const PublishRequest& request = road.request;
    const int32_t now = road.entry.version;
    // The pilot ring's number too: a PC of the ring has it installed.
    const int32_t highest =
        std::max({now, road.entry.pilotVersion, HighestVersion(road.entry.history).value_or(now)});
    if (request.version && *request.version <= highest)
        return Refusal{kFaultyCall, "/version " + std::to_string(*request.version) +
                                        " ist nicht h\u00F6her als die bisher h\u00F6chste "
                                        "Version " +
                                        std::to_string(highest) + "."};
    if (!request.version && highest == INT32_MAX)
        return Refusal{kFaultyCall, "version ist schon die h\u00F6chste Zahl."};
    road.newVersion = request.version.value_or(highest + 1);
    return std::nullopt;
}

void Publisher::sayDone(const Road& road) {
    say_((road.request.kind == PublishRequest::Back       ? "Zur\u00FCckgeholt: "
          : road.request.kind == PublishRequest::Promote  ? "F\u00FCr alle ver\u00F6ffentlicht: "
          : road.request.kind == PublishRequest::Pilot    ? "Vorab ver\u00F6ffentlicht: "
          : road.request.kind == PublishRequest::EndPilot ? "Vorab beendet: "
                                                          : "Ver\u00F6ffentlicht: ") +
         quoted(road.entry.displayName) + " [" + road.entry.section + "] Version " +
         std::to_string(road.newVersion) + " (vorher " + std::to_string(road.entry.version) +
         "), " + std::to_string(road.size) + " Bytes, SHA-256 " + road.sha256 + ".");
    if (road.hadCentral && road.centralPublished)
        say_("Die bisherige zentrale Kopie liegt als " + road.vorher + " daneben.");
    if (road.key)
        say_("Signiert mit dem Schl\u00FCssel " + road.key->id + ".");
    if (road.signatureDropped)
        say_("Achtung: diese Version ist nicht signiert (ohne /signieren); Arbeitspl\u00E4tze, "
             "die Schl\u00FCssel hinterlegt haben, installieren sie nicht.");
}

int Publisher::Run(const PublishRequest& request, const std::string& iniPath) {
    switch (request.kind) {
    case PublishRequest::Help:
        say_(kUsage);
        return kDone;
    case PublishRequest::Publish:
    case PublishRequest::Back:
    case PublishRequest::Promote:
        return publish(request, iniPath);
    case PublishRequest::Pilot:
        return publishPilot(request, iniPath);
    case PublishRequest::EndPilot:
        return endPilot(request, iniPath);
    case PublishRequest::Versions:
        return listReleases(request, iniPath);
    case PublishRequest::MakeKey:
        return makeKey(request);
    case PublishRequest::Lock:
    case PublishRequest::Unlock:
        break;
    }
    return setLock(request, iniPath);
}

} // namespace vorlund::publish

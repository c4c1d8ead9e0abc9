// One publish per configuration at a time, and the lock on starts
// (/sperren, /freigeben).
#include "config/ProfileEditor.h"
#include "config/ProfileReader.h"
#include "prepare/Messages.h"
#include "prepare/PartialFiles.h"
#include "publish/PublishRoad.h"
#include "win/CodePage.h"
#include "win/SystemText.h"

namespace vorlund::publish {

using texts::quoted;

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

} // namespace vorlund::publish

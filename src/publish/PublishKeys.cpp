// The publisher's key: made once into a file of the administrator's
// choosing, loaded by a publish that signs, and its signature of the new
// release written beside the release's other keys.
#include "publish/PublishRoad.h"
#include "win/SystemText.h"

namespace vorlund::publish {

int Publisher::makeKey(const PublishRequest& request) {
    MadeKey made = MakeSigningKey();
    if (!made.key)
        return refuse({kRefused, made.error});
    // A key file is never written over: the key it kept may be pinned.
    const bool existed = system_.IsFile(request.keyFile);
    if (const Status written = system_.WriteNew(request.keyFile, made.fileText); !written.ok()) {
        if (!existed) // what this call began goes; nothing else
            system_.Remove(request.keyFile);
        return refuse({kRefused, "Die Schl\u00FCsseldatei " + request.keyFile +
                                     " l\u00E4sst sich nicht neu anlegen: " +
                                     win::SystemText(written.error)});
    }
    say_("Neuer Schl\u00FCssel " + made.key->id + " in " + request.keyFile +
         " (nur dieses Konto kann mit ihm signieren).");
    say_("\u00D6ffentlicher Schl\u00FCssel f\u00FCr die Richtlinie \"Vertrauensw\u00FCrdige "
         "Herausgeber\" (HKLM\\SOFTWARE\\Policies\\Vorlund, Herausgeberschluessel):");
    say_(made.key->publicKey);
    return kDone;
}

std::optional<Publisher::Refusal> Publisher::loadKey(Road& road) {
    const std::string& file = road.request.keyFile;
    if (file.empty())
        return std::nullopt;
    const std::optional<std::string> text = system_.ReadAll(file);
    if (!text)
        return Refusal{kFaultyCall,
                       "Die Schl\u00FCsseldatei " + file + " fehlt oder ist nicht lesbar."};
    LoadedKey loaded = LoadSigningKey(*text);
    if (!loaded.key)
        return Refusal{kFaultyCall, "Die Schl\u00FCsseldatei " + file + " " + loaded.error};
    road.key.emplace(std::move(*loaded.key));
    return std::nullopt;
}

std::optional<Publisher::Refusal> Publisher::sign(Road& road, ProfileDocument& doc) {
    const Entry& entry = road.entry;
    const bool pilot = road.request.kind == PublishRequest::Pilot;
    const char* const key = pilot ? "vorabsignatur" : "signatur";
    if (!road.key) {
        // An old signature would name a release that is no longer the entry's.
        road.signatureDropped = doc.Remove(entry.section, key);
        return std::nullopt;
    }
    const std::optional<std::string> signature =
        SignRelease(*road.key, {entry.section, entry.mdbNameWritten, road.newVersion, road.size,
                                road.sha256, pilot});
    if (!signature)
        return Refusal{kRefused, "Windows (CNG) signiert die neue Version nicht."};
    if (!doc.Set(entry.section, key, *signature))
        return uneditable(entry, "die Signatur");
    return std::nullopt;
}

} // namespace vorlund::publish

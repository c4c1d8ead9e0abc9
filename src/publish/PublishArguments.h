#pragma once
// vorlundpublish's command line: what the administrator asks for.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlund::publish {

struct PublishRequest {
    enum Kind { Help, Publish, Back, Lock, Unlock, Versions, MakeKey, Pilot, Promote, EndPilot };
    Kind kind = Help;
    std::string application;        // a section's name or a displayname
    std::string source;             // the new database file, for Publish
    std::string text;               // the lock's words, for Lock
    std::string ini;                // empty: vorlund.INI beside the program
    std::optional<int32_t> version; // /version N: the new one, higher than today's
    std::optional<int32_t> backTo;  // /zurueck Anwendung N: the release to go back to
    // /server Ordner: the central copy's folder on the one server of a
    // replicated share that the publish writes to; the INI keeps its path.
    std::string server;
    // /signieren Datei: the key file a publish signs with; /schluessel
    // Datei: the key file to make.
    std::string keyFile;
};

// Whether the request puts a release out (and may take /version, /server
// and /signieren).
bool PutsOut(PublishRequest::Kind kind);

// The request, or nothing with the German words why the call is wrong.
struct ParsedArguments {
    std::optional<PublishRequest> request;
    std::string error;
};
ParsedArguments ParsePublishArguments(const std::vector<std::string>& args);

extern const char* const kUsage;

} // namespace vorlund::publish

#include "publish/PublishArguments.h"

#include "base/AsciiText.h"
#include "config/IntParse.h"

namespace vorlund::publish {
namespace {

bool is(const std::string& arg, const char* option) {
    return equalsIgnoreAsciiCase(arg, option);
}

ParsedArguments wrong(std::string why) {
    return {std::nullopt, std::move(why)};
}

// The names after the options: the application, and the new file of a
// publish, the text of a lock, or the version a rollback goes to.
ParsedArguments withPositionals(PublishRequest r, std::vector<std::string> rest) {
    const size_t wanted =
        r.kind == PublishRequest::Publish || r.kind == PublishRequest::Lock ? 2 : 1;
    if (r.kind == PublishRequest::Back && rest.size() == 2) {
        r.backTo = parseDecimal32(rest[1]);
        if (!r.backTo)
            return wrong("/zurueck " + rest[0] + " " + rest[1] + ": keine Versionsnummer.");
        rest.pop_back();
    }
    if (rest.size() != wanted)
        return wrong(rest.size() < wanted ? "Es fehlt eine Angabe." : "Eine Angabe zu viel.");
    r.application = rest[0];
    if (r.kind == PublishRequest::Publish)
        r.source = rest[1];
    if (r.kind == PublishRequest::Lock) {
        r.text = rest[1];
        if (r.text.empty())
            return wrong("/sperren braucht einen Text f\u00FCr die Benutzer.");
    }
    if (r.version && r.kind != PublishRequest::Publish && r.kind != PublishRequest::Back)
        return wrong("/version geh\u00F6rt zum Ver\u00F6ffentlichen und zu /zurueck.");
    if (!r.server.empty() && r.kind != PublishRequest::Publish && r.kind != PublishRequest::Back)
        return wrong("/server geh\u00F6rt zum Ver\u00F6ffentlichen und zu /zurueck.");
    return {r, {}};
}

} // namespace

const char* const kUsage =
    "Aufruf: vorlundpublish Anwendung NeueDatei [/version N] [/server Ordner]\r\n"
    "        vorlundpublish /zurueck Anwendung [Version] [/version N] [/server Ordner]\r\n"
    "        vorlundpublish /versionen Anwendung\r\n"
    "        vorlundpublish /sperren Anwendung \"Text\"\r\n"
    "        vorlundpublish /freigeben Anwendung\r\n"
    "        dazu jeweils /ini Datei (ohne: vorlund.INI neben vorlundpublish.exe)\r\n"
    "Anwendung: der Name des Abschnitts oder der displayname, Gro\u00DF-/Kleinschreibung "
    "egal.\r\n"
    "Ver\u00F6ffentlichen: pr\u00FCft die neue Datei, kopiert sie neben die zentrale Kopie, "
    "pr\u00FCft die Kopie,\r\n"
    "ersetzt die zentrale Kopie in einem Schritt (die alte bleibt als <mdbname>.vorher) "
    "und erh\u00F6ht\r\n"
    "erst dann version, mit pruefsumme= (SHA-256) und groesse= in der INI.\r\n"
    "/zurueck holt die Version vor der jetzigen (oder die genannte) aus der Liste der "
    "Versionen\r\n"
    "(<mdbname>.versionen) ebenso zur\u00FCck, unter einer neuen, h\u00F6heren Version; ohne "
    "Liste\r\n"
    "<mdbname>.vorher. /versionen zeigt die Liste.\r\n"
    "/server nennt f\u00FCr eine replizierte Freigabe (DFS) den Ordner der zentralen Kopie auf "
    "einem Server,\r\n"
    "z. B. \\\\SRV01\\Vorlund\\Lager; die INI nennt weiter den DFS-Pfad.\r\n"
    "/sperren und /freigeben setzen und entfernen gesperrt= im Abschnitt der Anwendung.\r\n"
    "Exit-Code 0: erledigt; 1: abgelehnt oder gescheitert, nichts ge\u00E4ndert; 2: Aufruf "
    "oder Konfiguration fehlerhaft.\r\n";

ParsedArguments ParsePublishArguments(const std::vector<std::string>& args) {
    PublishRequest r;
    std::vector<std::string> rest;
    std::optional<PublishRequest::Kind> command;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (is(a, "/?") || is(a, "-h") || is(a, "--help"))
            return {PublishRequest{}, {}};
        if (is(a, "/ini") || is(a, "/version") || is(a, "/server")) {
            if (!hasValue)
                return wrong(a + " ohne Wert.");
            const std::string& value = args[++i];
            if (is(a, "/ini") || is(a, "/server")) {
                (is(a, "/ini") ? r.ini : r.server) = value;
                continue;
            }
            r.version = parseDecimal32(value);
            if (!r.version)
                return wrong("/version " + value + ": keine ganze Zahl.");
            continue;
        }
        const struct {
            const char* name;
            PublishRequest::Kind kind;
        } commands[] = {{"/zurueck", PublishRequest::Back},
                        {"/sperren", PublishRequest::Lock},
                        {"/freigeben", PublishRequest::Unlock},
                        {"/versionen", PublishRequest::Versions}};
        bool known = false;
        for (const auto& c : commands)
            if (is(a, c.name)) {
                if (command)
                    return wrong("Nur ein Befehl je Aufruf.");
                command = c.kind;
                known = true;
            }
        if (known)
            continue;
        if (a.size() > 1 && a[0] == '/')
            return wrong("Unbekannte Angabe: " + a);
        rest.push_back(a);
    }
    r.kind = command.value_or(PublishRequest::Publish);
    return withPositionals(std::move(r), std::move(rest));
}

} // namespace vorlund::publish

#include "publish/PublishArguments.h"

#include "base/AsciiText.h"
#include "config/IntParse.h"

#include <utility>

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
    const bool publishes = PutsOut(r.kind);
    for (const auto& [given, option] :
         {std::pair{r.version.has_value(), "/version"}, std::pair{!r.server.empty(), "/server"},
          std::pair{!r.keyFile.empty(), "/signieren"}})
        if (given && !publishes)
            return wrong(std::string(option) + " geh\u00F6rt zum Ver\u00F6ffentlichen, zu "
                                               "/zurueck und zum Vorab-Ring.");
    if (r.kind == PublishRequest::MakeKey) {
        if (rest.size() != 1)
            return wrong("/schluessel braucht genau eine Datei f\u00FCr den neuen Schl\u00FCssel.");
        r.keyFile = rest[0];
        return {r, {}};
    }
    const bool withFile = r.kind == PublishRequest::Publish || r.kind == PublishRequest::Pilot;
    const size_t wanted = withFile || r.kind == PublishRequest::Lock ? 2 : 1;
    if (r.kind == PublishRequest::Back && rest.size() == 2) {
        r.backTo = parseDecimal32(rest[1]);
        if (!r.backTo)
            return wrong("/zurueck " + rest[0] + " " + rest[1] + ": keine Versionsnummer.");
        rest.pop_back();
    }
    if (rest.size() != wanted)
        return wrong(rest.size() < wanted ? "Es fehlt eine Angabe." : "Eine Angabe zu viel.");
    r.application = rest[0];
    if (withFile)
        r.source = rest[1];
    if (r.kind == PublishRequest::Lock) {
        r.text = rest[1];
        if (r.text.empty())
            return wrong("/sperren braucht einen Text f\u00FCr die Benutzer.");
    }
    return {r, {}};
}

} // namespace

bool PutsOut(PublishRequest::Kind kind) {
    switch (kind) {
    case PublishRequest::Publish:
    case PublishRequest::Back:
    case PublishRequest::Pilot:
    case PublishRequest::Promote:
    case PublishRequest::EndPilot:
        return true;
    default:
        return false;
    }
}

const char* const kUsage =
    "Aufruf: vorlundpublish Anwendung NeueDatei [/version N] [/server Ordner] "
    "[/signieren Schl\u00FCsseldatei]\r\n"
    "        vorlundpublish /zurueck Anwendung [Version] [/version N] [/server Ordner] "
    "[/signieren Schl\u00FCsseldatei]\r\n"
    "        vorlundpublish /versionen Anwendung\r\n"
    "        vorlundpublish /sperren Anwendung \"Text\"\r\n"
    "        vorlundpublish /freigeben Anwendung\r\n"
    "        vorlundpublish /schluessel Schl\u00FCsseldatei\r\n"
    "        vorlundpublish /vorab Anwendung NeueDatei | /fuer-alle Anwendung | "
    "/vorab-zurueck Anwendung\r\n"
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
    "/schluessel erzeugt einen Signaturschl\u00FCssel (ECDSA P-256), gesch\u00FCtzt f\u00FCr "
    "dieses Konto, und zeigt\r\n"
    "den \u00F6ffentlichen Schl\u00FCssel f\u00FCr die Richtlinie; /signieren signiert damit "
    "version, groesse und\r\n"
    "pruefsumme der neuen Version (signatur= in der INI).\r\n"
    "/vorab gibt die neue Datei nur den PCs des Vorab-Rings (vorab= im Abschnitt) als "
    "<name>.vorab<endung>;\r\n"
    "/fuer-alle macht sie zur Version f\u00FCr alle, /vorab-zurueck beendet den Versuch: der "
    "Ring bekommt\r\n"
    "wieder die Version f\u00FCr alle, unter einer h\u00F6heren Nummer.\r\n"
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
        if (is(a, "/ini") || is(a, "/version") || is(a, "/server") || is(a, "/signieren")) {
            if (!hasValue)
                return wrong(a + " ohne Wert.");
            const std::string& value = args[++i];
            if (!is(a, "/version")) {
                (is(a, "/ini") ? r.ini : is(a, "/server") ? r.server : r.keyFile) = value;
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
        } commands[] = {
            {"/zurueck", PublishRequest::Back},       {"/sperren", PublishRequest::Lock},
            {"/freigeben", PublishRequest::Unlock},   {"/versionen", PublishRequest::Versions},
            {"/schluessel", PublishRequest::MakeKey}, {"/vorab", PublishRequest::Pilot},
            {"/fuer-alle", PublishRequest::Promote},  {"/vorab-zurueck", PublishRequest::EndPilot}};
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

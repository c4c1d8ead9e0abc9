#include "check/Report.h"

#include "base/Utf8.h"
#include "check/Verdict.h"
#include "config/ReleaseHistory.h"
#include "config/ReleaseSignature.h"
#include "prepare/LaunchCommand.h"
#include "prepare/Messages.h"

#include <algorithm>
#include <sstream>
#include <string_view>

namespace vorlund::check {
namespace {

using texts::quoted;

// Umlauts and typographic marks as universal character names, which the
// compiler writes as UTF-8.
constexpr const char* kDash = " \u2013 ";

class Lines {
  public:
    // Control characters (a binary file's section names) show as "?".
    Lines& operator()(const std::string& line) {
        for (char c : line)
            text_ += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
        text_ += "\r\n";
        return *this;
    }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

// "  Label:" padded to one column, then the text.
std::string labelled(const std::string& label, const std::string& text, int indent = 2) {
    std::string line(static_cast<size_t>(indent), ' ');
    line += label.empty() ? label : label + ":";
    const size_t width = utf8Length(line); // a column of characters, not of bytes
    line.append(width < 23 ? 23 - width : 1, ' ');
    return line + text;
}

std::string lineList(const std::vector<int>& lines) {
    std::string out;
    const size_t shown = lines.size() < 10 ? lines.size() : 10;
    for (size_t i = 0; i < shown; ++i)
        out += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > shown)
        out += " und " + std::to_string(lines.size() - shown) + " weitere";
    return out;
}

std::string decodingName(const ProfileEncoding& d) {
    switch (d.kind) {
    case ProfileEncoding::Utf8Mark:
        return "UTF-8 mit Byte-Order-Mark";
    case ProfileEncoding::Utf16LeMark:
        return "UTF-16 LE mit Byte-Order-Mark";
    case ProfileEncoding::Utf16BeMark:
        return "UTF-16 BE mit Byte-Order-Mark";
    case ProfileEncoding::Utf8Detected:
        return "UTF-8 ohne Byte-Order-Mark (erkannt: durchweg g\u00FCltiges UTF-8, kein "
               "codepage= in [SETUP])";
    case ProfileEncoding::CodePage:
        break;
    }
    const std::string requested = "codepage=" + std::to_string(d.requested);
    if (d.Unknown())
        return "Windows-1252 (ANSI); " + requested + " kennt Windows nicht";
    if (d.requested == 0)
        return "Windows-1252 (ANSI: kein codepage= in [SETUP], kein durchweg g\u00FCltiges UTF-8)";
    return d.codePage == 65001 ? "UTF-8 (" + requested + ")"
                               : "Codepage " + std::to_string(d.codePage) + " (" + requested + ")";
}

void encodingWarnings(Lines& out, const ConfigFacts& c) {
    const ProfileEncoding& d = c.decoding;
    out(labelled("Gelesen als", decodingName(d), 0));
    if (d.Unknown())
        out("WARNUNG: Windows kennt die Codepage " + std::to_string(d.requested) +
            " nicht; Zeichen au\u00DFerhalb von Windows-1252 erscheinen verst\u00FCmmelt.");
    const EncodingFindings& found = c.encoding;
    const bool readAs1252 = d.kind == ProfileEncoding::CodePage && d.codePage == 1252;
    if (found.marked || found.Clean() || (!readAs1252 && !found.utf16)) {
        out("");
        return;
    }
    if (found.utf16)
        out("WARNUNG: Die Datei ist als UTF-16 (Unicode) ohne Byte-Order-Mark gespeichert.");
    if (!found.utf8Lines.empty())
        out("WARNUNG: UTF-8-Zeichen ohne Byte-Order-Mark in Zeile " + lineList(found.utf8Lines) +
            ".");
    out("  Vorlund liest die Datei als Windows-1252 (ANSI): Umlaute in Namen erscheinen");
    out("  verst\u00FCmmelt, und der Wert " + quoted("Version") +
        " landet unter einem verst\u00FCmmelten Schl\u00FCssel.");
    out("  Abhilfe: im Editor " + quoted("Datei") + " > " + quoted("Speichern unter") +
        ", unten bei " + quoted("Codierung") + " " + quoted("ANSI") + " oder " +
        quoted("UTF-8 mit BOM") + " w\u00E4hlen, speichern.");
    out("");
}

void faultyReasons(Lines& out, const ConfigFacts& c) {
    out("FEHLER: Vorlund meldet " + quoted("Konfigurationsdatei ist fehlerhaft.") + ", weil");
    if (c.file == FileState::Missing)
        out("  die Datei nicht vorhanden ist.");
    else if (c.file != FileState::Readable)
        out("  die Datei nicht gelesen werden kann (von einem anderen Programm gesperrt?).");
    else if (c.sections.empty())
        out("  die Datei keinen Abschnitt [...] enth\u00E4lt.");
    else
        out("  die Datei au\u00DFer [SETUP] keinen Abschnitt f\u00FCr eine Anwendung "
            "enth\u00E4lt.");
}

std::string versionLine(const EntryFacts& e) {
    std::string installed;
    switch (e.installed.kind) {
    case InstalledVersion::Absent:
        installed = "keine";
        break;
    case InstalledVersion::Number:
        installed = std::to_string(e.installed.value);
        break;
    case InstalledVersion::WrongType:
        installed = "unlesbar";
        break;
    }
    return labelled("Version", "konfiguriert " + std::to_string(e.configuredVersion) +
                                   ", installiert " + installed + " (HKCU\\" + e.versionKey + ")");
}

std::string centralLine(const EntryFacts& e) {
    std::string state;
    switch (e.central) {
    case FileState::Missing:
        state = "fehlt";
        break;
    case FileState::Readable:
        state =
            "vorhanden, lesbar, " + GroupedNumber(static_cast<uint64_t>(e.centralSize)) + " Bytes";
        break;
    case FileState::Locked:
        state = "von einem anderen Programm gesperrt";
        break;
    case FileState::Unreadable:
        state = "nicht lesbar";
        break;
    }
    return labelled("Zentrale Kopie", e.centralPath + kDash + state);
}

std::string localLine(const EntryFacts& e) {
    std::string state = "fehlt";
    if (e.localPresent)
        state = e.localHeld ? "vorhanden, ge\u00F6ffnet (kann nicht ersetzt werden)" : "vorhanden";
    if (e.localPresent && e.marker)
        state += ", Version " + std::to_string(*e.marker) + " laut Versionsdatei";
    if (e.localAsInstalled)
        state += *e.localAsInstalled
                     ? ", noch die installierte (SHA-256 und Gr\u00F6\u00DFe stimmen)"
                     : ", nicht mehr die installierte (Access schreibt in sie, sobald sie "
                       "ge\u00F6ffnet war)";
    return labelled("Lokale Kopie", e.localPath + kDash + state);
}

std::string directoryLine(const EntryFacts& e) {
    const char* state = e.installDirState == DirState::Exists ? "vorhanden"
                        : e.installDirState == DirState::WouldBeCreated
                            ? "wird angelegt"
                            : "kann nicht angelegt werden";
    return labelled("Installation",
                    (e.installDir.empty() ? std::string("(leer)") : e.installDir) + kDash + state);
}

// A path with variables, also as the file gives it.
void writtenForm(Lines& out, const std::string& written) {
    if (written.find('%') != std::string::npos)
        out(labelled("", "wie geschrieben: " + written, 0));
}

void dataSource(Lines& out, const EntryFacts& e) {
    if (!e.withDataSource) {
        out(labelled("Datenquelle", "ohne ODBC-Datenquelle (der Eintrag nennt keine)"));
        return;
    }
    out(labelled("Datenquelle", "HKCU\\" + e.dataSourceKey));
    for (const RegistryValue& v : e.dataSource) {
        const std::string now = v.current ? quoted(*v.current) : std::string("(fehlt)");
        const std::string change =
            v.current && *v.current == v.planned ? "bleibt" : "wird " + quoted(v.planned);
        out(labelled(v.name, "jetzt " + now + kDash + change, 4));
    }
}

std::string verdictLine(const Verdict& v) {
    switch (v.outcome) {
    case Outcome::Starts:
        return "  Ergebnis: startet die Datenbank.";
    case Outcome::Installs:
        return "  Ergebnis: installiert die neue Version; der Start danach \u00F6ffnet sie.";
    case Outcome::Locked:
        return "  Ergebnis: gesperrt; Vorlund zeigt den Text und startet nichts.";
    case Outcome::Fails:
        break;
    }
    return "  Ergebnis: SCHEITERT";
}

void warning(Lines& out, const std::string& text) {
    out(labelled("", "WARNUNG: " + text, 0));
}

void trustLines(Lines& out, const EntryFacts& e) {
    for (const EntryFacts::Trust& t : e.trust) {
        out(labelled("Access " + t.version,
                     t.location ? "vertrauensw\u00FCrdig (" + *t.location + ")"
                                : "wird als vertrauensw\u00FCrdiger Speicherort eingetragen",
                     4));
        if (t.userLocationsOff)
            warning(out, "eine Richtlinie schaltet Speicherorte der Benutzer ab "
                         "(allow user locations = 0, Access " +
                             t.version + ")");
        if (t.allLocationsDisabled)
            warning(out, "alle vertrauensw\u00FCrdigen Speicherorte sind abgeschaltet, durch eine "
                         "Richtlinie oder im Trust Center (AllLocationsDisabled = 1, Access " +
                             t.version + ")");
        if (e.trustOnNetwork && !t.networkAllowed)
            warning(out, "ein Netzwerkpfad: Access " + t.version +
                             " beachtet ihn nicht, Netzwerkspeicherorte sind nicht erlaubt "
                             "(AllowNetworkLocations)");
    }
}

// What was published of the central copy, and whether it is that copy.
void publishedLines(Lines& out, const EntryFacts& e) {
    if (e.published.Checked()) {
        std::string what;
        if (e.published.size)
            what = GroupedNumber(static_cast<uint64_t>(*e.published.size)) + " Bytes";
        if (e.published.sha256)
            what += (what.empty() ? "" : ", ") + ("SHA-256 " + *e.published.sha256);
        const std::string why = NotPublished(e);
        const std::string unknown = PublishedUnknown(e);
        std::string state = !why.empty()                       ? "STIMMT NICHT: " + why
                            : !unknown.empty()                 ? "UNBEKANNT: " + unknown
                            : e.central != FileState::Readable ? "nicht pr\u00FCfbar"
                                                               : "stimmt";
        if (e.centralSha256)
            state += " (gelesen in " + std::to_string(e.hashMilliseconds) + " ms)";
        out(labelled("Ver\u00F6ffentlicht",
                     (what.empty() ? e.published.fault : what) + kDash + state));
    }
    if (e.iniRelease)
        warning(out, "die Konfiguration nennt Version " + std::to_string(*e.iniRelease) +
                         ", die zentrale Kopie ist " +
                         (e.centralRelease ? "Version " + std::to_string(*e.centralRelease)
                                           : std::string("eine andere")) +
                         ": die INI wurde auf eine \u00E4ltere Ver\u00F6ffentlichung "
                         "zur\u00FCckgesetzt (ein Editor, der w\u00E4hrend der "
                         "Ver\u00F6ffentlichung offen war?), die neuere liegt zentral. Abhilfe: "
                         "vorlundpublish erneut aufrufen, oder vorlundpublish /zurueck");
    else if (e.vorherIsPublished)
        warning(out, "die Konfiguration nennt die vorherige Kopie (.vorher), nicht die zentrale: "
                     "hat ein Editor, der w\u00E4hrend der Ver\u00F6ffentlichung offen war, die "
                     "alte INI zur\u00FCckgeschrieben? Dann vorlundpublish erneut aufrufen, oder "
                     "/zurueck");
    if (e.releases > 0)
        out(labelled("Versionen", std::to_string(e.releases) + " in " +
                                      ReleaseHistoryPath(e.centralPath) +
                                      " (vorlundpublish /versionen zeigt sie)"));
    if (e.vorherPresent)
        out(labelled("Vorherige", e.centralPath + ".vorher" + kDash +
                                      "vorhanden (vorlundpublish /zurueck holt sie zur\u00FCck)"));
    for (const std::string& file : e.leftovers)
        warning(out, "\u00FCbrig von einer abgebrochenen Ver\u00F6ffentlichung: " + file +
                         " (vorlundpublish r\u00E4umt sie beim n\u00E4chsten Mal auf)");
}

// vorab=: whether this PC is in the ring and why, and the release it does
// not run beside the one it does.
void ringLines(Lines& out, const EntryFacts& e) {
    const EntryFacts::Ring& r = e.ring;
    if (r.written.empty() && r.pilotVersion == 0)
        return;
    const std::string why = r.named ? "namentlich genannt"
                                    : "Platz " + std::to_string(r.bucket) + " von 100, " +
                                          (r.in ? "unter " : "nicht unter ") +
                                          std::to_string(r.percent) + " %";
    out(labelled("Vorab-Ring",
                 r.computer + (r.in ? " ist im Ring (" : " ist nicht im Ring (") + why + ")"));
    for (const std::string& fault : r.faults)
        warning(out, "in vorab= ist " + quoted(fault) +
                         " weder ein Computername noch ein Anteil "
                         "von 0 bis 100 %");
    if (r.otherRelease.empty()) {
        if (r.pilotVersion != 0)
            out(labelled("",
                         "vorabversion " + std::to_string(r.pilotVersion) +
                             " gilt nicht (nicht h\u00F6her als version, oder ohne "
                             "vorabgroesse und vorabpruefsumme): kein Versuch l\u00E4uft",
                         0));
        return;
    }
    out(labelled("Dieser PC", r.runsPilot ? "bekommt die Vorab-Version (unten gepr\u00FCft)"
                                          : "bekommt die Version f\u00FCr alle (unten "
                                            "gepr\u00FCft)"));
    out(labelled("Daneben", r.otherRelease));
}

void signatureLines(Lines& out, const EntryFacts& e) {
    if (e.signatureValid)
        out(labelled("Signatur", *e.signatureValid ? "g\u00FCltig, Schl\u00FCssel " + e.signedBy
                                                   : "UNG\u00DCLTIG: " + e.signatureFault));
    else if (!e.signature.empty())
        out(labelled("Signatur",
                     (e.signedBy.empty() ? "keine lesbare" : "Schl\u00FCssel " + e.signedBy) +
                         std::string(" (nicht gepr\u00FCft: dieser PC hinterlegt keine "
                                     "Schl\u00FCssel)")));
    if (e.othersWhoMayWriteCentral.empty())
        return;
    std::string who;
    for (const std::string& name : e.othersWhoMayWriteCentral)
        who += (who.empty() ? "" : ", ") + name;
    warning(out, "trustedlocation=1 ohne hinterlegten Schl\u00FCssel: wer den Ordner der zentralen "
                 "Kopie \u00E4ndern darf (" +
                     who +
                     "), f\u00FChrt Code auf jedem Arbeitsplatz aus. Abhilfe: signierte "
                     "Versionen und eine Konfiguration, die nur Administratoren \u00E4ndern "
                     "(LIESMICH, Signierte Versionen)");
}

void pinLines(Lines& out, const ConfigFacts& c) {
    std::string ids;
    for (const std::string& id : c.pinnedIds)
        ids += (ids.empty() ? "" : ", ") + id;
    out(labelled("Schl\u00FCssel",
                 !c.pinned     ? std::string("keine hinterlegt (") + kPolicyName + ")"
                 : ids.empty() ? std::string("hinterlegt, aber keiner g\u00FCltig: "
                                             "Vorlund installiert nichts")
                               : "hinterlegt: " + ids,
                 0));
    if (!c.pinError.empty())
        warning(out,
                "die Richtlinie " + std::string(kPolicyName) + " ist nicht lesbar: " + c.pinError);
    for (const std::string& line : c.faultyPins)
        warning(out, "in der Richtlinie ist kein Schl\u00FCssel: " + quoted(line));
    if (!c.othersWhoMayWriteConfiguration.empty()) {
        std::string who;
        for (const std::string& name : c.othersWhoMayWriteConfiguration)
            who += (who.empty() ? "" : ", ") + name;
        warning(out, "die Signatur deckt accessexe, accessargs, tmpdir und die \u00FCbrigen "
                     "Schl\u00FCssel nicht: wer die Konfiguration \u00E4ndern darf (" +
                         who + "), kann ein anderes Programm starten lassen");
    }
}

// Remarks on the keys of one group, under the line that shows them: what
// the reader passes over, and the values it shortens.
using Keys = std::vector<std::string_view>;

void keyWarnings(Lines& out, const EntryFacts& e, const Keys& keys) {
    const auto inGroup = [&](std::string_view key) {
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    };
    for (const ConfigNote& note : e.notes)
        if (inGroup(note.key))
            warning(out, note.text);
    for (const EntryFacts::Cut& cut : e.cuts)
        if (inGroup(cut.key))
            warning(out, cut.key + " hat " + std::to_string(cut.written) +
                             " Zeichen; Vorlund k\u00FCrzt auf " + std::to_string(cut.kept) + ".");
}

const Keys kCentralKeys = {"mdbname", "mdbpath", "groesse", "pruefsumme", "signatur"};
const Keys kSourceKeys = {"odbcname", "odbcpath", "odbccharacterset", "odbcrole"};
const Keys kLaunchKeys = {"trustedlocation", "accessexe", "accessargs"};

void bitnessWarning(Lines& out, const EntryFacts& e) {
    if (e.startsAs64Bit && e.withDataSource)
        warning(out, "ein 64-Bit-Programm; es kann den 32-Bit-ODBC-Treiber nicht nutzen.");
}

void launchLines(Lines& out, const EntryFacts& e) {
    if (e.trustedLocation)
        out(labelled("Vertrauensort", e.trustPath));
    trustLines(out, e);
    if (e.customLaunch) {
        out(labelled("Start mit", e.launchCommandLine));
        if (e.launchProgramPresent && e.launchProgramFound != e.launchProgram)
            out(labelled("", "gefunden als: " + e.launchProgramFound, 0));
        if (!e.launchProgramPresent)
            warning(out, e.launchProgram.empty() ? "kein Programm zum Starten"
                                                 : "das Programm fehlt: " + e.launchProgram);
        bitnessWarning(out, e);
    }
    keyWarnings(out, e, kLaunchKeys);
    if (RefreshActive(e.refreshPercent) && e.localSize && e.central == FileState::Readable) {
        const int64_t percent = e.centralSize > 0 ? *e.localSize * 100 / e.centralSize : 0;
        out(labelled("Auffrischen",
                     "lokal " + GroupedNumber(static_cast<uint64_t>(*e.localSize)) +
                         " Bytes, zentral " + GroupedNumber(static_cast<uint64_t>(e.centralSize)) +
                         " Bytes, " + std::to_string(percent) + " % von " +
                         std::to_string(e.refreshPercent) + " %" + kDash +
                         (RefreshesNext(e) ? "der n\u00E4chste Start kopiert neu" : "bleibt")));
    }
    keyWarnings(out, e, {"refreshsize"});
    if (e.runsAsProgram)
        warning(out, "mdbname endet auf " + quoted(e.extension) +
                         ": Windows f\u00FChrt die Datei als Programm aus");
}

// Every remark whose key no line of the entry shows stands under its heading.
void headerWarnings(Lines& out, const EntryFacts& e) {
    const std::vector<Keys> placed = {{"version"}, kCentralKeys, {"tmpdir"},
                                      kSourceKeys, kLaunchKeys,  {"refreshsize"}};
    const auto elsewhere = [&](const std::string& key) {
        for (const auto& group : placed)
            if (std::find(group.begin(), group.end(), key) != group.end())
                return true;
        return false;
    };
    for (const ConfigNote& note : e.notes)
        if (!elsewhere(note.key))
            warning(out, note.text);
    keyWarnings(out, e, {"displayname"});
}

void entry(Lines& out, const EntryFacts& e, size_t index) {
    out("Eintrag " + std::to_string(index) + ": " + quoted(e.displayName) + " [" + e.section + "]");
    headerWarnings(out, e);
    if (!e.locked.empty())
        out(labelled("Gesperrt",
                     quoted(e.locked) + (e.lockedForAll ? " (in [SETUP], f\u00FCr alle)" : "")));
    out(versionLine(e));
    ringLines(out, e);
    if (e.sameDisplayNameAs)
        warning(out, "derselbe Anzeigename wie Eintrag " + std::to_string(*e.sameDisplayNameAs) +
                         "; beide teilen sich den Wert " + quoted("Version") + ".");
    keyWarnings(out, e, {"version"});
    out(centralLine(e));
    writtenForm(out, e.mdbpathWritten);
    publishedLines(out, e);
    signatureLines(out, e);
    keyWarnings(out, e, kCentralKeys);
    out(localLine(e));
    out(directoryLine(e));
    writtenForm(out, e.tmpdirWritten);
    if (!e.othersWhoMayChange.empty()) {
        std::string who;
        for (const std::string& name : e.othersWhoMayChange)
            who += (who.empty() ? "" : ", ") + name;
        warning(out, "andere Benutzer dieses PCs d\u00FCrfen das Verzeichnis oder die Kopie "
                     "\u00E4ndern");
        out(labelled("",
                     "  (" + who +
                         "); auf einem geteilten PC geh\u00F6rt tmpdir nach "
                         "%LOCALAPPDATA%.",
                     0));
    }
    if (!e.installDir.empty() && e.installDir.back() != '\\')
        out(labelled("", "Hinweis: ohne \\ am Ende liegt die lokale Kopie neben dem Verzeichnis.",
                     0));
    keyWarnings(out, e, {"tmpdir"});
    dataSource(out, e);
    if (e.sameDataSourceAs)
        warning(out, "dieselbe Datenquelle wie Eintrag " + std::to_string(*e.sameDataSourceAs) +
                         "; der zuletzt gestartete bestimmt ihre Werte.");
    keyWarnings(out, e, kSourceKeys);
    out(labelled("\u00D6ffnen mit",
                 e.opener ? *e.opener : "kein Programm f\u00FCr " + quoted(TypeName(e))));
    if (!e.customLaunch)
        bitnessWarning(out, e);
    launchLines(out, e);
    const Verdict v = Judge(e);
    out(verdictLine(v));
    for (const std::string& reason : v.reasons)
        out("    - " + reason);
}

std::string bannerText(const ConfigFacts& c) {
    if (c.banner.empty())
        return "keines eingetragen";
    return c.banner + kDash +
           (c.bannerLoads ? "l\u00E4dt" : "l\u00E4dt nicht (Vorlund zeigt keines)");
}

void logDirLines(Lines& out, const ConfigFacts& c) {
    if (c.logDirWritten.empty()) {
        out(labelled("Protokoll", "kein logdir in [SETUP]", 0));
        return;
    }
    out(labelled("Protokoll",
                 (c.logDir.empty() ? std::string("(leer)") : c.logDir) + kDash +
                     (c.logDirExists     ? "Ordner vorhanden"
                      : c.logDir.empty() ? "kein Ordner: Vorlund schreibt kein Protokoll"
                                         : "Ordner fehlt; Vorlund legt ihn an, wenn er darf"),
                 0));
    if (c.logDirWritten != c.logDir)
        out(labelled("", "wie geschrieben: " + c.logDirWritten, 0));
}

void driverLines(Lines& out, const ConfigFacts& c) {
    if (std::none_of(c.entries.begin(), c.entries.end(),
                     [](const EntryFacts& e) { return e.withDataSource; })) {
        out(labelled("ODBC-Treiber", "nicht gebraucht (kein Eintrag nennt eine Datenquelle)", 0));
        return;
    }
    if (c.driverPath.empty()) {
        out(labelled("ODBC-Treiber", "unbekannt (kein Windows-Verzeichnis eingetragen)", 0));
        return;
    }
    out(labelled("ODBC-Treiber", c.driverPath + kDash + (c.driverPresent ? "vorhanden" : "fehlt"),
                 0));
    if (c.driver32Path.empty())
        return;
    out(labelled("  32 Bit", c.driver32Path + kDash + (c.driver32Present ? "vorhanden" : "fehlt"),
                 0));
    if (c.driver32Present)
        out(labelled("", "32-Bit-Programme wie Access finden ihn unter dem eingetragenen Pfad.",
                     0));
}

void codePageLines(Lines& out, unsigned codePage) {
    out(labelled("ANSI-Codepage",
                 std::to_string(codePage) + kDash + "Vorlund h\u00E4ngt nicht von ihr ab", 0));
    if (codePage == 65001) {
        out("HINWEIS: 65001 ist UTF-8 (" + quoted("Beta: Unicode UTF-8 f\u00FCr die weltweite") +
            " ...\u201C).");
        out("  Andere Access-Werkzeuge auf diesem Arbeitsplatz (\u00E4ltere Add-Ins, "
            "ODBC-Treiber,");
        out("  VBA mit Declare) k\u00F6nnen davon abh\u00E4ngen und Umlaute falsch lesen.");
    }
    out("");
}

} // namespace

std::string GroupedNumber(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += '.';
        out += digits[i];
    }
    return out;
}

std::string Report(const ConfigFacts& c, const std::string& version) {
    Lines out;
    out("Vorlund-Pr\u00FCfung " + version + " (ver\u00E4ndert nichts)");
    out(labelled("Konfiguration", c.iniPath, 0));
    codePageLines(out, c.codePage);
    encodingWarnings(out, c);
    if (c.entries.empty()) {
        faultyReasons(out, c);
        out("");
        out("Exit-Code 2: Konfiguration fehlerhaft.");
        return out.Take();
    }
    out(labelled("Banner", bannerText(c), 0));
    logDirLines(out, c);
    for (const ConfigNote& note : c.setupNotes)
        out(labelled("", "WARNUNG: in [SETUP]: " + note.text, 0));
    driverLines(out, c);
    pinLines(out, c);
    size_t fails = 0;
    for (size_t i = 0; i < c.entries.size(); ++i) {
        out("");
        entry(out, c.entries[i], i + 1);
        fails += Judge(c.entries[i]).outcome == Outcome::Fails;
    }
    out("");
    const int code = ExitCodeFor(c);
    out("Exit-Code " + std::to_string(code) + ": " +
        (code == kAllGood ? std::string("alle Eintr\u00E4ge starten oder installieren.")
                          : std::to_string(fails) + " von " + std::to_string(c.entries.size()) +
                                " Eintr\u00E4gen scheitern."));
    return out.Take();
}

} // namespace vorlund::check

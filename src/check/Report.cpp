#include "check/Report.h"

#include "check/Verdict.h"

#include <sstream>

namespace vorlund::check {
namespace {

// Umlauts and typographic marks as octal escapes: a hex escape would take in
// a following letter a to f.
constexpr const char* kDash = " \226 ";

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
    line.resize(line.size() < 23 ? 23 : line.size() + 1, ' ');
    return line + text;
}

std::string quoted(const std::string& text) {
    return "\204" + text + "\223";
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

void encodingWarnings(Lines& out, const EncodingFindings& found) {
    if (found.marked) {
        out("HINWEIS: Die Datei ist als Unicode mit Byte-Order-Mark gespeichert. Vorlund liest");
        out("  sie richtig; Zeichen, die Windows-1252 nicht kennt, werden zu " + quoted("?") + ".");
        out("");
    }
    if (found.Clean())
        return;
    if (found.utf16)
        out("WARNUNG: Die Datei ist als UTF-16 (Unicode) ohne Byte-Order-Mark gespeichert.");
    if (!found.utf8Lines.empty())
        out("WARNUNG: UTF-8-Zeichen ohne Byte-Order-Mark in Zeile " + lineList(found.utf8Lines) +
            ".");
    out("  Vorlund liest die Datei als Windows-1252 (ANSI): Umlaute in Namen erscheinen");
    out("  verst\374mmelt, und der Wert " + quoted("Version") +
        " landet unter einem verst\374mmelten Schl\374ssel.");
    out("  Abhilfe: im Editor " + quoted("Datei") + " > " + quoted("Speichern unter") +
        ", unten bei " + quoted("Codierung") + " " + quoted("ANSI") + " oder " +
        quoted("UTF-8 mit BOM") + " w\344hlen, speichern.");
    out("");
}

void faultyReasons(Lines& out, const ConfigFacts& c) {
    out("FEHLER: Vorlund meldet " + quoted("Konfigurationsdatei ist fehlerhaft.") + ", weil");
    if (c.file == FileState::Missing)
        out("  die Datei nicht vorhanden ist.");
    else if (c.file != FileState::Readable)
        out("  die Datei nicht gelesen werden kann (von einem anderen Programm gesperrt?).");
    else if (c.sections.empty())
        out("  die Datei keinen Abschnitt [...] enth\344lt.");
    else
        out("  die Datei au\337er [SETUP] keinen Abschnitt f\374r eine Anwendung enth\344lt.");
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
        state = e.localHeld ? "vorhanden, ge\366ffnet (kann nicht ersetzt werden)" : "vorhanden";
    if (e.localPresent && e.marker)
        state += ", Version " + std::to_string(*e.marker) + " laut Versionsdatei";
    return labelled("Lokale Kopie", e.localPath + kDash + state);
}

std::string directoryLine(const EntryFacts& e) {
    const char* state = e.installDirState == DirState::Exists ? "vorhanden"
                        : e.installDirState == DirState::WouldBeCreated
                            ? "wird angelegt"
                            : "kann nicht angelegt werden";
    return labelled("Installation", e.installDir + kDash + state);
}

// A path with variables, also as the file gives it.
void writtenForm(Lines& out, const std::string& written) {
    if (written.find('%') != std::string::npos)
        out(labelled("", "wie geschrieben: " + written, 0));
}

void dataSource(Lines& out, const EntryFacts& e) {
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
        return "  Ergebnis: installiert die neue Version; der Start danach \366ffnet sie.";
    case Outcome::Fails:
        break;
    }
    return "  Ergebnis: SCHEITERT";
}

void entry(Lines& out, const EntryFacts& e, size_t index) {
    out("Eintrag " + std::to_string(index) + ": " + quoted(e.displayName) + " [" + e.section + "]");
    out(versionLine(e));
    out(centralLine(e));
    writtenForm(out, e.mdbpathWritten);
    out(localLine(e));
    out(directoryLine(e));
    writtenForm(out, e.tmpdirWritten);
    if (!e.installDir.empty() && e.installDir.back() != '\\')
        out(labelled("", "Hinweis: ohne \\ am Ende liegt die lokale Kopie neben dem Verzeichnis.",
                     0));
    dataSource(out, e);
    out(labelled("\326ffnen mit",
                 e.opener ? *e.opener : "kein Programm f\374r " + quoted(TypeName(e))));
    if (e.openerIs64Bit)
        out(labelled("",
                     "WARNUNG: ein 64-Bit-Programm; es kann den 32-Bit-ODBC-Treiber nicht "
                     "nutzen.",
                     0));
    for (const EntryFacts::Cut& cut : e.cuts)
        out(labelled("",
                     "WARNUNG: " + cut.key + " hat " + std::to_string(cut.written) +
                         " Zeichen; Vorlund k\374rzt auf " + std::to_string(cut.kept) + ".",
                     0));
    const Verdict v = Judge(e);
    out(verdictLine(v));
    for (const std::string& reason : v.reasons)
        out("    -" + std::string(kDash + 2) + reason);
}

std::string bannerText(const ConfigFacts& c) {
    if (c.banner.empty())
        return "keines eingetragen";
    return c.banner + kDash + (c.bannerLoads ? "l\344dt" : "l\344dt nicht (Vorlund zeigt keines)");
}

void driverLines(Lines& out, const ConfigFacts& c) {
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
                 std::to_string(codePage) + kDash + "Vorlund h\344ngt nicht von ihr ab", 0));
    if (codePage == 65001) {
        out("HINWEIS: 65001 ist UTF-8 (" + quoted("Beta: Unicode UTF-8 f\374r die weltweite") +
            " ...\223).");
        out("  Andere Access-Werkzeuge auf diesem Arbeitsplatz (\344ltere Add-Ins, ODBC-Treiber,");
        out("  VBA mit Declare) k\366nnen davon abh\344ngen und Umlaute falsch lesen.");
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
    out("Vorlund-Pr\374fung " + version + " (ver\344ndert nichts)");
    out(labelled("Konfiguration", c.iniPath, 0));
    codePageLines(out, c.codePage);
    encodingWarnings(out, c.encoding);
    if (c.entries.empty()) {
        faultyReasons(out, c);
        out("");
        out("Exit-Code 2: Konfiguration fehlerhaft.");
        return out.Take();
    }
    out(labelled("Banner", bannerText(c), 0));
    driverLines(out, c);
    size_t fails = 0;
    for (size_t i = 0; i < c.entries.size(); ++i) {
        out("");
        entry(out, c.entries[i], i + 1);
        fails += Judge(c.entries[i]).outcome == Outcome::Fails;
    }
    out("");
    const int code = ExitCodeFor(c);
    out("Exit-Code " + std::to_string(code) + ": " +
        (code == kAllGood ? std::string("alle Eintr\344ge starten oder installieren.")
                          : std::to_string(fails) + " von " + std::to_string(c.entries.size()) +
                                " Eintr\344gen scheitern."));
    return out.Take();
}

} // namespace vorlund::check

// vorlundcheck: a dry run of the launcher for one workstation. It reads the
// configuration with the launcher's own code, looks at the registry, the
// files and the shell's associations, changes nothing, and says for every
// entry whether the next start would open the database, install it, or fail.
#include "base/AsciiText.h"
#include "check/FleetFiles.h"
#include "check/Inspect.h"
#include "check/Report.h"
#include "check/Verdict.h"
#include "config/ConfigPath.h"
#include "version.h"
#include "win/Console.h"
#include "win/DllSearch.h"
#include "win/Paths.h"
#include "win/Unicode.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using namespace vorlund;

constexpr const char* kUsage =
    "Aufruf: vorlundcheck [Konfigurationsdatei]\r\n"
    "        vorlundcheck /protokolle Ordner\r\n"
    "Ohne Angabe wird vorlund.INI im Verzeichnis von vorlundcheck.exe gepr\u00FCft.\r\n"
    "Exit-Code 0: alle Eintr\u00E4ge starten oder installieren; 1: ein Eintrag scheitert;\r\n"
    "2: die Konfiguration ist fehlerhaft oder der Aufruf falsch.\r\n"
    "Mit /protokolle: eine Zeile je Arbeitsplatz aus den Protokollen (logdir) im\r\n"
    "Ordner. Exit-Code 0: jeder letzte Lauf ohne Fehler; 1: ein letzter Lauf\r\n"
    "scheiterte; 2: der Ordner ist nicht lesbar.\r\n";

// A path argument without the quotes that the command-line rules leave in it:
// "C:\Logs\" arrives as C:\Logs" (the \" is a quote), and no Windows path
// holds a quote.
std::string pathArgument(std::string text) {
    std::erase(text, '"');
    return text;
}

// The arguments as typed, in whatever script.
std::vector<std::string> arguments() {
    int count = 0;
    LPWSTR* const list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; list && i < count; ++i)
        args.push_back(win::Narrow(list[i]));
    LocalFree(list);
    return args;
}

int fleet(const std::string& folder) {
    check::Fleet logs;
    if (!check::ReadFleet(folder, logs)) {
        win::WriteOut("Der Ordner " + folder + " ist nicht lesbar.\r\n");
        return check::kFaultyConfiguration;
    }
    win::WriteOut(check::FleetTable(logs, folder));
    return check::FleetExitCode(logs);
}

} // namespace

int main() {
    win::RestrictDllSearch();
    const std::vector<std::string> args = arguments();
    if (!args.empty() && equalsIgnoreAsciiCase(args[0], "/protokolle")) {
        if (args.size() != 2) {
            win::WriteOut(kUsage);
            return check::kFaultyConfiguration;
        }
        return fleet(win::FullPath(pathArgument(args[1])));
    }
    if (args.size() > 1 ||
        (args.size() == 1 && (args[0] == "/?" || args[0] == "-h" || args[0] == "--help"))) {
        win::WriteOut(kUsage);
        return args.size() > 1 ? check::kFaultyConfiguration : check::kAllGood;
    }
    const std::string ini = args.empty() ? programDirectory(win::ModuleFileName()) + "vorlund.INI"
                                         : win::FullPath(pathArgument(args[0]));
    const check::ConfigFacts facts = check::Inspect(ini);
    win::WriteOut(check::Report(facts, VORLUND_VERSION_STRING));
    return check::ExitCodeFor(facts);
}

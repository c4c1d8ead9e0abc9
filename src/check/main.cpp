// vorlundcheck: a dry run of the launcher for one workstation. It reads the
// configuration with the launcher's own code, looks at the registry, the
// files and the shell's associations, changes nothing, and says for every
// entry whether the next start would open the database, install it, or fail.
#include "base/AsciiText.h"
#include "fleet/FleetFiles.h"
#include "check/Inspect.h"
#include "fleet/ReportFile.h"
#include "fleet/RolloutReport.h"
#include "check/Report.h"
#include "check/Verdict.h"
#include "config/ConfigPath.h"
#include "version.h"
#include "win/Console.h"
#include "win/Clock.h"
#include "win/DllSearch.h"
#include "win/Heap.h"
#include "win/Paths.h"
#include "win/SystemText.h"
#include "win/Unicode.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace vorlund;

constexpr const char* kUsage =
    "Aufruf: vorlundcheck [Konfigurationsdatei]\r\n"
    "        vorlundcheck /protokolle Ordner [/bericht Datei.html] [/csv Datei.csv]\r\n"
    "Ohne Angabe wird vorlund.INI im Verzeichnis von vorlundcheck.exe gepr\u00FCft.\r\n"
    "Exit-Code 0: alle Eintr\u00E4ge starten oder installieren; 1: ein Eintrag scheitert;\r\n"
    "2: die Konfiguration ist fehlerhaft oder der Aufruf falsch.\r\n"
    "Mit /protokolle: eine Zeile je Arbeitsplatz aus den Protokollen (logdir) im\r\n"
    "Ordner. Exit-Code 0: jeder letzte Lauf ohne Fehler; 1: ein letzter Lauf\r\n"
    "scheiterte; 2: der Ordner ist nicht lesbar.\r\n"
    "/bericht schreibt dazu eine Seite f\u00FCr den Browser, /csv eine Datei f\u00FCr Excel.\r\n";

// /protokolle Ordner [/bericht Datei.html] [/csv Datei.csv], in any order.
struct FleetCall {
    std::string folder, page, spreadsheet;
};

std::optional<FleetCall> fleetCall(const std::vector<std::string>& args) {
    FleetCall call;
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        std::string* target = equalsIgnoreAsciiCase(args[i], "/protokolle") ? &call.folder
                              : equalsIgnoreAsciiCase(args[i], "/bericht")  ? &call.page
                              : equalsIgnoreAsciiCase(args[i], "/csv")      ? &call.spreadsheet
                                                                            : nullptr;
        if (!target || !target->empty())
            return std::nullopt;
        *target = win::FullPath(args[i + 1]);
    }
    if (args.size() % 2 != 0 || call.folder.empty())
        return std::nullopt;
    // The folder as the table names it: without a backslash at its end.
    while (call.folder.size() > 3 && call.folder.back() == '\\')
        call.folder.pop_back();
    return call;
}

bool written(const std::string& path, const std::string& bytes) {
    if (path.empty())
        return true;
    if (const DWORD error = fleet::WriteReplacing(path, bytes)) {
        win::WriteOut("Der Bericht kann nicht geschrieben werden: " + path + " (" +
                      win::SystemText(error) + ")\r\n");
        return false;
    }
    return true;
}

int fleetReport(const FleetCall& call) {
    fleet::Fleet logs;
    fleet::Rollout rollout;
    const bool report = !call.page.empty() || !call.spreadsheet.empty();
    if (!fleet::ReadFleet(
            call.folder, logs,
            report ? [&](const std::string& file, const RunRecord& run) { rollout.Add(file, run); }
                   : std::function<void(const std::string&, const RunRecord&)>())) {
        win::WriteOut("Der Ordner " + call.folder + " ist nicht lesbar.\r\n");
        return check::kFaultyConfiguration;
    }
    win::WriteOut(fleet::FleetTable(logs, call.folder));
    if (!written(call.page, fleet::RolloutPage(logs, rollout, call.folder, win::LocalTimeText())) ||
        !written(call.spreadsheet, fleet::RolloutSpreadsheet(logs, rollout)))
        return check::kFaultyConfiguration;
    return fleet::FleetExitCode(logs);
}

} // namespace

int main() {
    win::RestrictDllSearch();
    win::UseLowFragmentationHeaps();
    const std::vector<std::string> args = win::Arguments();
    if (!args.empty() &&
        (equalsIgnoreAsciiCase(args[0], "/protokolle") ||
         equalsIgnoreAsciiCase(args[0], "/bericht") || equalsIgnoreAsciiCase(args[0], "/csv"))) {
        const std::optional<FleetCall> call = fleetCall(args);
        if (!call) {
            win::WriteOut(kUsage);
            return check::kFaultyConfiguration;
        }
        return fleetReport(*call);
    }
    if (args.size() > 1 ||
        (args.size() == 1 && (args[0] == "/?" || args[0] == "-h" || args[0] == "--help"))) {
        win::WriteOut(kUsage);
        return args.size() > 1 ? check::kFaultyConfiguration : check::kAllGood;
    }
    const std::string ini = args.empty() ? programDirectory(win::ModuleFileName()) + "vorlund.INI"
                                         : win::FullPath(args[0]);
    const check::ConfigFacts facts = check::Inspect(ini);
    win::WriteOut(check::Report(facts, VORLUND_VERSION_STRING));
    return check::ExitCodeFor(facts);
}

// The rollout report against the console table it comes with: a fleet of
// 1,000 workstations with 300 runs each (over 60 days), read by the real
// vorlundcheck.exe with and without /bericht and /csv, taken in turns, in
// one run. Goal: page and spreadsheet file within 2 s, and within 1.5 times
// the table's own time. The peak working set of each shows that memory
// follows the workstations and days, not the lines (a fleet of 100 runs
// each is measured as well).
//
// Usage: vorlund_report_bench [rounds] [vorlundcheck exe]   (default 3 rounds)
#include "prepare/RunLog.h"
#include "support/WinTestSupport.h"
#include "win/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

std::string besideThisProgram(const char* name) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

void writeFleet(const std::string& dir, int stations, int runs) {
    CreateDirectoryA(dir.c_str(), nullptr);
    for (int s = 0; s < stations; ++s) {
        std::string text = RunLogHeader();
        const std::string computer = "PC-" + std::to_string(s);
        for (int r = 0; r < runs; ++r) {
            const int day = r * 60 / runs;
            char time[32];
            std::snprintf(time, sizeof time, "2026-%02d-%02d %02d:%02d:00", 10 + day / 30,
                          1 + day % 30, 8 + r % 10, r % 60);
            const int32_t version = 1 + day / 10;
            const bool install = r % 50 == 0;
            text += FormatRunLine({time,
                                   computer,
                                   "anna",
                                   "1.1.0",
                                   r % 3 ? "Lager" : "Kasse",
                                   install ? version - 1 : version,
                                   version,
                                   install ? RunResult::Installed : RunResult::Started,
                                   "",
                                   install ? 40000000 : 0,
                                   install ? 20000 + s : 2600,
                                   install ? std::optional<int64_t>(18000 + s) : std::nullopt,
                                   {}});
        }
        WriteFileBytes(dir + computer + "_anna.log", text);
    }
}

struct Run {
    double seconds;
    double peakMiB;
};

Run runCheck(const std::string& exe, const std::string& args) {
    std::string command = "\"" + exe + "\" " + args;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const win::File out(
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out.get();
    PROCESS_INFORMATION process{};
    const ULONGLONG start = GetTickCount64();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        std::printf("cannot start %s\n", exe.c_str());
        std::exit(1);
    }
    const win::UniqueKernel thread(process.hThread), child(process.hProcess);
    // Looked at while it runs: an ended process has no counters under Wine.
    SIZE_T peak = 0;
    while (WaitForSingleObject(child.get(), 5) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(child.get(), &memory, sizeof memory))
            peak = std::max(peak, memory.PeakWorkingSetSize);
    }
    const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
    return {seconds, static_cast<double>(peak) / 1048576.0};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string check = argc > 2 ? argv[2] : besideThisProgram("vorlundcheck.exe");
    TempDir dir("report_bench");
    const std::string large = dir / "300\\", small = dir / "100\\";
    writeFleet(large, 1000, 300);
    writeFleet(small, 1000, 100);
    const std::string table = "/protokolle \"" + large + "\"";
    const std::string both =
        table + " /bericht \"" + dir / "b.html" + "\" /csv \"" + dir / "t.csv" + "\"";
    std::vector<double> alone, withReport;
    double peakAlone = 0, peakReport = 0;
    runCheck(check, table); // the first start pays for loading Wine's DLLs
    for (int i = 0; i < rounds; ++i) {
        const Run a = runCheck(check, table), b = runCheck(check, both);
        alone.push_back(a.seconds);
        withReport.push_back(b.seconds);
        peakAlone = std::max(peakAlone, a.peakMiB);
        peakReport = std::max(peakReport, b.peakMiB);
    }
    const Run fewer = runCheck(check, "/protokolle \"" + small + "\" /bericht \"" + dir / "c.html" +
                                          "\" /csv \"" + dir / "d.csv" + "\"");
    const double a = median(alone), b = median(withReport);
    std::printf("1,000 workstations x 300 runs, median of %d: table alone %.2f s, with page and "
                "spreadsheet %.2f s\n",
                rounds, a, b);
    std::printf("page and spreadsheet add %.2f s (goal: within 2 s), ratio %.2f (goal: at most "
                "1.5)\n",
                b - a, b / a);
    std::printf("peak working set: table %.1f MiB, with the report %.1f MiB; 100 runs each with "
                "the report %.1f MiB\n",
                peakAlone, peakReport, fewer.peakMiB);
    return 0;
}

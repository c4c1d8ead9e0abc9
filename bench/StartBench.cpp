// Time from the launcher's start to its selection for configurations of 2,
// 2,000 and 20,000 entries, taken in turns, in one run. The time beyond the
// 2 entries' must grow linearly: 20,000 at most 15 times what 2,000 cost.
//
// Usage: vorlund_start_bench [rounds] [launcher exe]   (default 7 rounds, the
// vorlund.exe beside the benchmark)
#include "support/Driver.h"
#include "support/WinTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace vorlund::testing;

namespace {

std::string configuration(int entries) {
    std::string text = "[SETUP]\r\n";
    for (int i = 0; i < entries; ++i) {
        const std::string n = std::to_string(i);
        text += "[App" + n + "]\r\nversion=1\r\nmdbname=app" + n +
                ".mdb\r\nmdbpath=\\\\server\\apps\\" + n + "\r\ntmpdir=C:\\Vorlund\\" + n +
                "\\\r\ndisplayname=Anwendung " + n + "\r\nodbcname=APP" + n +
                "\r\nodbcpath=D:\\Daten\\app" + n + ".gdb\r\n";
    }
    return text;
}

std::string besideThisProgram(const char* name) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// Milliseconds from CreateProcess to the visible selection.
double startToSelection(const std::string& exe) {
    const ULONGLONG start = GetTickCount64();
    LauncherProcess launcher(exe);
    const HWND form = launcher.WaitForSelection(60000);
    const double ms = static_cast<double>(GetTickCount64() - start);
    if (!form) {
        std::printf("no selection from %s\n", exe.c_str());
        std::exit(1);
    }
    RequestClose(form);
    launcher.WaitExit(10000);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string source = argc > 2 ? argv[2] : besideThisProgram("vorlund.exe");
    const int sizes[] = {2, 2000, 20000};
    std::vector<std::unique_ptr<TempDir>> dirs;
    for (int entries : sizes) {
        dirs.push_back(std::make_unique<TempDir>("bench_" + std::to_string(entries)));
        CopyFileA(source.c_str(), (*dirs.back() / "vorlund.exe").c_str(), FALSE);
        WriteFileBytes(*dirs.back() / "vorlund.INI", configuration(entries));
    }
    std::vector<std::vector<double>> times(dirs.size());
    startToSelection(*dirs[0] / "vorlund.exe"); // the first start pays for loading Wine's DLLs
    for (int i = 0; i < rounds; ++i)
        for (size_t d = 0; d < dirs.size(); ++d)
            times[d].push_back(startToSelection(*dirs[d] / "vorlund.exe"));
    double medians[3];
    for (size_t d = 0; d < dirs.size(); ++d)
        medians[d] = median(times[d]);
    std::printf("start to selection, median of %d: 2 entries %.0f ms, 2,000 entries %.0f ms, "
                "20,000 entries %.0f ms\n",
                rounds, medians[0], medians[1], medians[2]);
    const double beyond2000 = medians[1] - medians[0], beyond20000 = medians[2] - medians[0];
    std::printf("beyond the 2 entries: 2,000 add %.0f ms, 20,000 add %.0f ms, ratio %.1f "
                "(goal: at most 15)\n",
                beyond2000, beyond20000, beyond20000 / std::max(beyond2000, 1.0));
    return 0;
}

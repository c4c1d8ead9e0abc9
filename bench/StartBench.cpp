// Time from the launcher's start to its selection, for a configuration of 2
// and one of 500 entries, alternating, in one run.
//
// Usage: vorlund_start_bench [rounds] [launcher exe]   (default 7 rounds, the
// vorlund.exe beside the benchmark)
#include "support/Driver.h"
#include "support/WinTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string source = argc > 2 ? argv[2] : besideThisProgram("vorlund.exe");
    TempDir few("bench_few"), many("bench_many");
    for (const TempDir* dir : {&few, &many})
        CopyFileA(source.c_str(), (*dir / "vorlund.exe").c_str(), FALSE);
    WriteFileBytes(few / "vorlund.INI", configuration(2));
    WriteFileBytes(many / "vorlund.INI", configuration(500));

    std::vector<double> two, fiveHundred;
    startToSelection(few / "vorlund.exe"); // the first start pays for loading Wine's DLLs
    for (int i = 0; i < rounds; ++i) {
        two.push_back(startToSelection(few / "vorlund.exe"));
        fiveHundred.push_back(startToSelection(many / "vorlund.exe"));
    }
    const double a = median(two), b = median(fiveHundred);
    std::printf("start to selection, median of %d: 2 entries %.0f ms, 500 entries %.0f ms\n",
                rounds, a, b);
    std::printf("500 take %.0f ms longer (goal: at most 500), ratio %.2f\n", b - a, b / a);
    return 0;
}

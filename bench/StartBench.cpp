// Time from the launcher's start to its selection for configurations of 2,
// 2,000, 20,000 and 40,000 entries, taken in turns, in one run. The time
// beyond the 2 entries' must grow linearly: 20,000 at most 15 times what
// 2,000 cost, 40,000 at most 2.5 times what 20,000 cost.
//
// Usage: vorlund_start_bench [rounds] [launcher exe]   (default 12 rounds, the
// vorlund.exe beside the benchmark)
#include "support/Driver.h"
#include "support/WinTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
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
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    LauncherProcess launcher(exe);
    // Looked for every millisecond: the tests' 20 are about what 2,000 entries cost.
    const HWND form = launcher.WaitForSelection(60000, 1);
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    if (!form) {
        const std::optional<DWORD> code = launcher.WaitExit(0);
        std::printf("no selection from %s after %.0f ms: %s\n", exe.c_str(), ms,
                    code ? ("ended with exit code " + std::to_string(*code)).c_str()
                         : "still running");
        std::exit(1);
    }
    RequestClose(form);
    launcher.WaitExit(10000);
    return ms;
}

// The mean of the middle half: under Wine a start's time comes in steps of
// about 20 ms, which a median cannot resolve, and one slow start would tip a
// plain mean.
double middleMean(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t cut = v.size() / 4;
    double sum = 0;
    for (size_t i = cut; i < v.size() - cut; ++i)
        sum += v[i];
    return sum / static_cast<double>(v.size() - 2 * cut);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
    const std::string source = argc > 2 ? argv[2] : besideThisProgram("vorlund.exe");
    const int sizes[] = {2, 2000, 20000, 40000};
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
    double means[4];
    for (size_t d = 0; d < dirs.size(); ++d)
        means[d] = middleMean(times[d]);
    std::printf("start to selection, mean of the middle half of %d: 2 entries %.0f ms, 2,000 "
                "entries %.0f ms, 20,000 entries %.0f ms, 40,000 entries %.0f ms\n",
                rounds, means[0], means[1], means[2], means[3]);
    const double beyond2000 = means[1] - means[0], beyond20000 = means[2] - means[0];
    std::printf("beyond the 2 entries: 2,000 add %.0f ms, 20,000 add %.0f ms, ratio %.1f "
                "(goal: at most 15)\n",
                beyond2000, beyond20000, beyond20000 / std::max(beyond2000, 1.0));
    std::printf("40,000 entries take %.2f times what 20,000 take (goal: at most 2.5)\n",
                means[3] / std::max(means[2], 1.0));
    return 0;
}

// Copy throughput of the launcher's chunked copy against the platform's
// CopyFileA on the same file, alternating, in one run; and the launcher's
// peak working set while it copies a small and a large file.
//
// Usage: vorlund_copy_bench [MiB] [rounds]   (default 512 MiB, 9 rounds)
#include "app/Form1.h"
#include "prepare/Preparation.h"
#include "ui/Application.h"
#include "ui/fUtils.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vorlund;

namespace {

bool writeFile(const std::string& path, int64_t size) {
    win::File f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f)
        return false;
    std::vector<char> block(1 << 20);
    uint32_t x = 12345;
    for (char& c : block)
        c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    for (int64_t done = 0; done < size; done += static_cast<int64_t>(block.size())) {
        block[0] = static_cast<char>(done >> 20); // no two blocks alike
        DWORD n = 0;
        if (!WriteFile(f.get(), block.data(), static_cast<DWORD>(block.size()), &n, nullptr))
            return false;
    }
    return f.close();
}

double seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

template <typename F> double timed(F f) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    const bool ok = f();
    QueryPerformanceCounter(&b);
    if (!ok) {
        std::printf("copy failed\n");
        std::exit(1);
    }
    return seconds(a, b);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

SIZE_T peakWorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

SIZE_T workingSet() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.WorkingSetSize;
}

// The same reads and writes as the launcher's copy (61,440 + 4,096 bytes per
// 64 KiB chunk), with and without a look at the message queue per chunk: it
// shows what the piece size and the message check each cost on this platform.
bool referenceLoop(const std::string& from, const std::string& to, bool pump) {
    win::File src(CreateFileA(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    win::File dst(CreateFileA(to.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr));
    std::vector<char> buf(61440);
    for (DWORD piece = 61440;; piece = piece == 61440 ? 4096 : 61440) {
        if (pump && piece == 61440) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        DWORD n = 0, w = 0;
        if (!ReadFile(src.get(), buf.data(), piece, &n, nullptr))
            return false;
        if (n == 0)
            return true;
        if (!WriteFile(dst.get(), buf.data(), n, &w, nullptr) || w != n)
            return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    const int64_t mib = argc > 1 ? std::atoll(argv[1]) : 512;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
    // In memory where possible (VORLUND_BENCH_DIR), so that the disk's write-back
    // does not decide the race; else the temporary directory.
    char base[MAX_PATH];
    if (!GetEnvironmentVariableA("VORLUND_BENCH_DIR", base, MAX_PATH))
        GetTempPathA(MAX_PATH, base);
    std::string dir = base;
    if (dir.back() != '\\')
        dir += '\\';
    dir += "vorlund-bench\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string source = dir + "central.mdb", small = dir + "small.mdb";
    const std::string target = dir + "local.mdb", reference = dir + "reference.mdb";
    if (!writeFile(source, mib << 20) || !writeFile(small, 64LL << 20)) {
        std::printf("cannot write the test files in %s\n", dir.c_str());
        return 1;
    }

    flat::InitFlatBorderColour();
    Application::instance().SetTitle("Vorlund benchmark");
    TForm1 form; // the real window: progress bar, message processing, showing
    form.Timer1.SetEnabled(false);
    Application::instance().SetMainWindow(form.Handle());
    form.ShowFirstTime();
    form.ProcessMessages();

    // Memory first, before CopyFileA's own buffers can raise the peak.
    const SIZE_T before = workingSet();
    timed([&] { return form.XCopyFile(small, target); });
    const SIZE_T peakSmall = peakWorkingSet();
    timed([&] { return form.XCopyFile(source, target); });
    const SIZE_T peakLarge = peakWorkingSet();

    std::vector<double> ours, platform;
    const int updatesBefore = form.BarUpdates();
    for (int i = 0; i < rounds; ++i) {
        DeleteFileA(target.c_str());
        ours.push_back(timed([&] { return form.XCopyFile(source, target); }));
        DeleteFileA(reference.c_str());
        platform.push_back(
            timed([&] { return CopyFileA(source.c_str(), reference.c_str(), FALSE) != 0; }));
    }
    std::vector<double> loop, loopPumped;
    for (int i = 0; i < rounds; ++i) {
        loop.push_back(timed([&] { return referenceLoop(source, reference, false); }));
        loopPumped.push_back(timed([&] { return referenceLoop(source, reference, true); }));
    }
    const double size = static_cast<double>(mib);
    const double oursRate = size / median(ours), platformRate = size / median(platform);
    std::printf("file: %lld MiB in %s, rounds: %d (alternating)\n", static_cast<long long>(mib),
                dir.c_str(), rounds);
    std::printf("XCopyFile median: %.0f MiB/s, %d bar updates per copy (%lld chunks)\n", oursRate,
                (form.BarUpdates() - updatesBefore) / rounds, static_cast<long long>(mib * 16));
    std::printf("CopyFileA median: %.0f MiB/s\n", platformRate);
    std::printf("reference: same pieces, no message check: %.0f MiB/s (ratio %.2f)\n",
                size / median(loop), size / median(loop) / platformRate);
    std::printf("reference: same pieces, message check per chunk: %.0f MiB/s (ratio %.2f)\n",
                size / median(loopPumped), size / median(loopPumped) / platformRate);
    std::printf("throughput ratio XCopyFile/CopyFileA: %.2f (target >= 0.70)\n",
                oursRate / platformRate);
    std::printf("working set before copying: %.1f MiB\n", static_cast<double>(before) / 1048576.0);
    std::printf("peak working set after a 64 MiB copy: %.1f MiB\n",
                static_cast<double>(peakSmall) / 1048576.0);
    std::printf("peak working set after a %lld MiB copy: %.1f MiB (growth %.1f MiB)\n",
                static_cast<long long>(mib), static_cast<double>(peakLarge) / 1048576.0,
                static_cast<double>(peakLarge - peakSmall) / 1048576.0);
    for (const std::string& f : {source, small, target, reference})
        DeleteFileA(f.c_str());
    RemoveDirectoryA(dir.c_str());
    return 0;
}

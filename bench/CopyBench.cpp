// Copy throughput of the launcher's chunked copy against the platform's
// CopyFileA on the same file, alternating, in one run; the launcher's peak
// working set while it copies a small and a large file; and the copy that
// checks the published SHA-256 against the copy without and the hash alone
// over the same bytes: the check must cost no more than the hash does.
//
// Usage: vorlund_copy_bench [MiB] [rounds]   (default 512 MiB, 9 rounds)
#include "app/Form1.h"
#include "prepare/Preparation.h"
#include "ui/Application.h"
#include "ui/fUtils.h"
#include "win/Sha256.h"

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

struct Files {
    std::string dir, source, small, target, reference;
};

// In memory where possible (VORLUND_BENCH_DIR), so that the disk's write-back
// does not decide the race; else the temporary directory.
bool makeFiles(int64_t mib, Files& f) {
    char base[MAX_PATH];
    if (!GetEnvironmentVariableA("VORLUND_BENCH_DIR", base, MAX_PATH))
        GetTempPathA(MAX_PATH, base);
    f.dir = base;
    if (f.dir.back() != '\\')
        f.dir += '\\';
    f.dir += "vorlund-bench\\";
    CreateDirectoryA(f.dir.c_str(), nullptr);
    f.source = f.dir + "central.mdb";
    f.small = f.dir + "small.mdb";
    f.target = f.dir + "local.mdb";
    f.reference = f.dir + "reference.mdb";
    return writeFile(f.source, mib << 20) && writeFile(f.small, 64LL << 20);
}

struct Memory {
    SIZE_T before, peakSmall, peakLarge;
};

// Memory first, before CopyFileA's own buffers can raise the peak.
Memory measureMemory(TForm1& form, const Files& f) {
    Memory m{workingSet(), 0, 0};
    timed([&] { return form.XCopyFile(f.small, f.target); });
    m.peakSmall = peakWorkingSet();
    timed([&] { return form.XCopyFile(f.source, f.target); });
    m.peakLarge = peakWorkingSet();
    return m;
}

struct Rates {
    double ours, platform, loop, loopPumped; // MiB/s, medians
    int barUpdates;                          // per copy of ours
};

Rates measureThroughput(TForm1& form, const Files& f, double mib, int rounds) {
    std::vector<double> ours, platform, loop, loopPumped;
    const int updatesBefore = form.BarUpdates();
    for (int i = 0; i < rounds; ++i) {
        DeleteFileA(f.target.c_str());
        ours.push_back(timed([&] { return form.XCopyFile(f.source, f.target); }));
        DeleteFileA(f.reference.c_str());
        platform.push_back(
            timed([&] { return CopyFileA(f.source.c_str(), f.reference.c_str(), FALSE) != 0; }));
    }
    const int updates = (form.BarUpdates() - updatesBefore) / rounds;
    for (int i = 0; i < rounds; ++i) {
        loop.push_back(timed([&] { return referenceLoop(f.source, f.reference, false); }));
        loopPumped.push_back(timed([&] { return referenceLoop(f.source, f.reference, true); }));
    }
    return {mib / median(ours), mib / median(platform), mib / median(loop),
            mib / median(loopPumped), updates};
}

struct Checked {
    double withCheck, without, hashAlone; // MiB/s, medians
};

Checked measureCheck(TForm1& form, const Files& f, double mib, int rounds) {
    PublishedCopy published;
    published.sha256 = win::FileSha256(f.source);
    std::vector<double> with, without, hash;
    for (int i = 0; i < rounds; ++i) {
        DeleteFileA(f.target.c_str());
        with.push_back(timed([&] {
            return static_cast<bool>(
                XCopyFile(form, f.source, f.target, InstallSystem::Real(), published));
        }));
        DeleteFileA(f.target.c_str());
        without.push_back(timed([&] { return form.XCopyFile(f.source, f.target); }));
        hash.push_back(timed([&] { return win::FileSha256(f.source) == published.sha256; }));
    }
    return {mib / median(with), mib / median(without), mib / median(hash)};
}

void reportCheck(const Checked& c) {
    const double slower = std::min(c.without, c.hashAlone);
    std::printf("copy with the SHA-256 check: %.0f MiB/s, without: %.0f MiB/s, hash alone: "
                "%.0f MiB/s\n",
                c.withCheck, c.without, c.hashAlone);
    std::printf("check ratio with / min(without, hash): %.2f (goal >= 0.90)\n",
                c.withCheck / slower);
}

void report(const Files& f, int64_t mib, int rounds, const Rates& r, const Memory& m) {
    const auto inMiB = [](SIZE_T bytes) { return static_cast<double>(bytes) / 1048576.0; };
    std::printf("file: %lld MiB in %s, rounds: %d (alternating)\n", static_cast<long long>(mib),
                f.dir.c_str(), rounds);
    std::printf("XCopyFile median: %.0f MiB/s, %d bar updates per copy (%lld chunks)\n", r.ours,
                r.barUpdates, static_cast<long long>(mib * 16));
    std::printf("CopyFileA median: %.0f MiB/s\n", r.platform);
    std::printf("reference: same pieces, no message check: %.0f MiB/s (ratio %.2f)\n", r.loop,
                r.loop / r.platform);
    std::printf("reference: same pieces, message check per chunk: %.0f MiB/s (ratio %.2f)\n",
                r.loopPumped, r.loopPumped / r.platform);
    std::printf("throughput ratio XCopyFile/CopyFileA: %.2f (target >= 0.70)\n",
                r.ours / r.platform);
    std::printf("working set before copying: %.1f MiB\n", inMiB(m.before));
    std::printf("peak working set after a 64 MiB copy: %.1f MiB\n", inMiB(m.peakSmall));
    std::printf("peak working set after a %lld MiB copy: %.1f MiB (growth %.1f MiB)\n",
                static_cast<long long>(mib), inMiB(m.peakLarge), inMiB(m.peakLarge - m.peakSmall));
}

} // namespace

int main(int argc, char** argv) {
    const int64_t mib = argc > 1 ? std::atoll(argv[1]) : 512;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
    Files files;
    if (!makeFiles(mib, files)) {
        std::printf("cannot write the test files in %s\n", files.dir.c_str());
        return 1;
    }

    flat::InitFlatBorderColour();
    Application::instance().SetTitle("Vorlund benchmark");
    TForm1 form; // the real window: progress bar, message processing, showing
    form.Timer1.SetEnabled(false);
    Application::instance().SetMainWindow(form.Handle());
    form.ShowFirstTime();
    form.ProcessMessages();

    const Memory memory = measureMemory(form, files);
    const Rates rates = measureThroughput(form, files, static_cast<double>(mib), rounds);
    report(files, mib, rounds, rates, memory);
    reportCheck(measureCheck(form, files, static_cast<double>(mib), rounds));
    for (const std::string& f : {files.source, files.small, files.target, files.reference})
        DeleteFileA(f.c_str());
    RemoveDirectoryA(files.dir.c_str());
    return 0;
}

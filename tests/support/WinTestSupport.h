#pragma once
// Helpers for tests that run under Wine against the real platform: scratch
// directories and files, registry clean-up, and a preparation host that
// records what the preparation asks of the main window.
#include "prepare/PrepareHost.h"
#include "win/Handles.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlund::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
  public:
    explicit TempDir(const std::string& name);
    ~TempDir();
    const std::string& Path() const { return path_; } // ends in a backslash
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
std::string PatternBytes(size_t size, unsigned seed = 1);
void RemoveTree(const std::string& path);

// Whether this process is refused a write to a read-only file, as Windows
// refuses it. Wine run as root is not: scripts/test runs the suites as a
// user of their own (VORLUND_TEST_USER), and there a test that needs the
// refusal fails when it is missing instead of passing for nothing.
bool ReadOnlyIsEnforced();
#define VORLUND_NEEDS_READ_ONLY_REFUSED()                                                          \
    do {                                                                                           \
        if (!::vorlund::testing::ReadOnlyIsEnforced()) {                                           \
            if (std::getenv("VORLUND_TEST_USER"))                                                  \
                FAIL() << "read-only files are writable for the test user";                        \
            GTEST_SKIP() << "read-only files are writable here (Wine run as root)";                \
        }                                                                                          \
    } while (false)

// Registry values as another program would read them.
bool ReadRegString(HKEY root, const std::string& key, const std::string& name, std::string& out,
                   DWORD* type = nullptr, DWORD* size = nullptr);
bool ReadRegDword(HKEY root, const std::string& key, const std::string& name, DWORD& out);
bool RegKeyExists(HKEY root, const std::string& key);
void DeleteRegTree(HKEY root, const std::string& key);

// The machine policy's publisher keys, as Group Policy writes them (one
// string per line of REG_MULTI_SZ, or a REG_SZ), for the life of the object.
class PinnedPolicy {
  public:
    explicit PinnedPolicy(const std::vector<std::string>& lines, DWORD type = REG_MULTI_SZ);
    PinnedPolicy(const PinnedPolicy&) = delete;
    PinnedPolicy& operator=(const PinnedPolicy&) = delete;
    ~PinnedPolicy();
};

// Pixels of something drawn into a 32-bit bitmap.
class Canvas {
  public:
    Canvas(int w, int h);
    HDC dc() const { return dc_.get(); }
    COLORREF at(int x, int y) const;
    std::string Bytes() const; // every pixel, row by row

  private:
    int w_, h_;
    void* bits_ = nullptr;
    win::UniqueMemoryDc dc_;
    win::UniqueBitmap bitmap_;
    std::unique_ptr<win::ScopedSelect> select_;
};

struct RecordedMessage {
    std::string text;
    MessageType type;
};

// Records messages, progress and window requests; processes real messages
// and runs a real wait timer on a window of its own.
class RecordingHost : public PrepareHost {
  public:
    RecordingHost();
    ~RecordingHost() override;

    void ShowMessage(std::string_view text, MessageType type) override;
    void ProcessMessages() override;
    void SetBarRange(int32_t minimum, int32_t maximum) override;
    void SetBarPosition(int32_t position) override;
    int32_t BarMax() const override { return barMax; }
    void ShowMainWindow() override { ++shows; }
    void HideMainWindow() override { ++hides; }
    void ShowWaiting() override { ++waitingShown; }
    bool EndRequested() const override { return endRequested; }
    void StartWaitTimer() override;
    bool WaitTimerOn() const override { return timerOn; }
    void WaitForMessage() override { WaitMessage(); }

    std::vector<RecordedMessage> messages;
    std::vector<int32_t> barPositions;
    int32_t barMin = -1, barMax = -1;
    int shows = 0, hides = 0, pumps = 0, waitingShown = 0;
    bool endRequested = false;
    bool timerOn = false;
    ULONGLONG timerStarted = 0, timerStopped = 0;
    // Runs at each message processing, with the number of that pass (from 1).
    std::function<void(int)> onPump;

  private:
    static LRESULT CALLBACK TimerWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    win::UniqueWindow timerWindow_;
};

} // namespace vorlund::testing

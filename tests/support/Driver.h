#pragma once
// Drives the real launcher from outside: starts it, finds its windows, reads
// each dialog's caption and text as bytes, presses buttons, and waits for
// the process to end. Every wait has a timeout, so a hang fails a test
// instead of stalling the run.
#include "win/Handles.h"

#include <optional>
#include <string>
#include <vector>

namespace vorlund::testing {

struct Dialog {
    HWND window = nullptr;
    std::string className; // "TMessageForm", or "#32770" for the default error box
    std::string caption;
    std::string text;      // in Windows-1252, "?" for what it lacks
    std::string exactText; // in UTF-8
    bool hasIcon = false;
    std::vector<std::string> buttons;
};

class LauncherProcess {
  public:
    // Starts exePath with its directory as the working directory.
    explicit LauncherProcess(const std::string& exePath);
    ~LauncherProcess(); // ends the process if it still runs

    DWORD Pid() const { return pid_; }
    bool Running() const;
    // The exit code, or nothing when the process did not end in time.
    std::optional<DWORD> WaitExit(DWORD timeoutMs);

    // The first visible top-level window of the process with this class.
    HWND WaitForWindow(const char* className, DWORD timeoutMs) const;
    // The next visible message dialog or default error box.
    std::optional<Dialog> WaitForDialog(DWORD timeoutMs) const;
    // Waits until the main window shows its selection (the grid is visible),
    // looking every `pollMs`.
    HWND WaitForSelection(DWORD timeoutMs, DWORD pollMs = 20) const;
    HWND MainWindow() const;

  private:
    win::UniqueKernel process_;
    DWORD pid_ = 0;
};

Dialog ReadDialog(HWND dialog);
// Clicks the dialog's OK button the way the keyboard's space bar would, and
// waits until the dialog has gone.
void PressOk(const Dialog& dialog);
// Asks a window to close as its close box would.
void RequestClose(HWND window);
std::string WindowText(HWND window);
std::string WindowTextUtf8(HWND window);

// The launcher's main-window controls, found by id.
HWND Control(HWND parent, int id);

// Saves the whole screen as a 24-bit BMP.
bool SaveScreenshot(const std::string& path);

// Starts a console program with its output (and errors) in a file; its
// process, empty when it cannot be started. The arguments are UTF-8, each
// given in quotes.
win::UniqueKernel StartConsoleProgram(const std::string& exe, const std::vector<std::string>& args,
                                      const std::string& outputPath);
// The same, waited for: its exit code, or 99 when it cannot be started or
// does not end in 30 s.
DWORD RunConsoleProgram(const std::string& exe, const std::vector<std::string>& args,
                        const std::string& outputPath);

// A transcript line for a dialog: caption, then the text with CR shown as \r.
std::string Describe(const Dialog& dialog);

} // namespace vorlund::testing

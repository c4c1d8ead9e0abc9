#pragma once
// The application object: title, main window, the end-of-program request and
// the message loops that every modal part of the launcher shares.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace vorlund {

class Application {
  public:
    static Application& instance();

    void SetTitle(std::string title) { title_ = std::move(title); }
    const std::string& Title() const { return title_; }
    void SetMainWindow(HWND wnd) { mainWindow_ = wnd; }
    HWND MainWindow() const { return mainWindow_; }
    HINSTANCE Instance() const { return GetModuleHandleW(nullptr); }

    // Requests the end of the program: the message loops see it and the main
    // loop ends once the current message has been handled.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // A loop of its own received the quit message.
    void NoteQuitReceived() { terminated_ = true; }
    // Lets a test process run another modal loop after an end request.
    void ResetTermination() { terminated_ = false; }

    // Waits for one message and dispatches it; false once the quit request
    // arrived.
    bool HandleMessage();
    // Dispatches every pending message without waiting.
    void ProcessMessages();
    // The main message loop.
    void Run();

    // Keyboard pre-translation for windows that are not dialogs (for example
    // Tab between the main window's controls). Returns true when handled.
    void SetMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }

    // The default error box: caption = title, the message with a full stop,
    // OK and the stop icon.
    void ShowException(const std::exception& error);
    // The same for whatever was thrown, C++ exceptions of any type included.
    void ShowException(std::exception_ptr error);
    // The text that box shows for it.
    static std::string ExceptionText(std::exception_ptr error);

  private:
    void dispatch(MSG& msg);
    void showErrorBox(const std::string& text);

    std::string title_;
    HWND mainWindow_ = nullptr;
    bool terminated_ = false;
    std::function<bool(MSG&)> filter_;
};

// While a window runs modally, every other visible and enabled top-level
// window of the thread is disabled; they are enabled again when it ends.
class DisabledWindows {
  public:
    explicit DisabledWindows(HWND except);
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;
    ~DisabledWindows() { Restore(); }
    void Restore();

  private:
    HWND except_;
    std::vector<HWND> disabled_;
};

} // namespace vorlund

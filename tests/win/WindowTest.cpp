// The window objects' dispatch: no C++ exception crosses into the system.
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace vorlund;

namespace {

class ThrowingWindow : public Window {
  public:
    ThrowingWindow() {
        RegisterClassOnce("VorlundThrowingWindow", 0, nullptr);
        CreateWindowFor(0, "VorlundThrowingWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    }
    UINT throwOn = 0;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == throwOn && msg == WM_USER)
            throw 42; // not even a std::exception
        if (msg == throwOn)
            throw std::runtime_error("Kaputt");
        return Default(msg, wp, lp);
    }
};

// Answers every default error box of this process with OK and keeps its text.
class ErrorBoxCloser {
  public:
    ErrorBoxCloser()
        : thread_([this] {
              while (!stop_) {
                  HWND box = FindWindowA("#32770", nullptr);
                  if (box && IsWindowVisible(box)) {
                      char text[256] = {};
                      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                      texts.push_back(text);
                      PostMessageA(box, WM_COMMAND, IDOK, 0);
                      while (IsWindow(box) && IsWindowVisible(box))
                          Sleep(10);
                  }
                  Sleep(10);
              }
          }) {}
    std::vector<std::string> Stop() {
        stop_ = true;
        thread_.join();
        return texts;
    }

  private:
    std::vector<std::string> texts;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

TEST(Window, AnExceptionInAnyHandlerIsReportedNotPassedToTheSystem) {
    ErrorBoxCloser closer;
    ThrowingWindow window;
    window.throwOn = WM_USER;
    EXPECT_NO_THROW(SendMessageA(window.Handle(), WM_USER, 0, 0));
    window.throwOn = WM_NCDESTROY; // the last message a window gets
    EXPECT_NO_THROW(DestroyWindow(window.Handle()));
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(closer.Stop(), (std::vector<std::string>{"Unbekannter Fehler.", "Kaputt."}));
}

// The window objects' dispatch: no C++ exception crosses into the system.
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>

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
        if (msg == throwOn && msg == WM_USER + 1)
            throw std::bad_alloc(); // the library's English text must not reach the user
        if (msg == throwOn)
            throw std::runtime_error("Kaputt");
        return Default(msg, wp, lp);
    }
};

} // namespace

TEST(Window, AnExceptionInAnyHandlerIsReportedNotPassedToTheSystem) {
    std::vector<std::string> boxes; // the default error boxes, answered with OK
    std::atomic<bool> done{false};
    std::thread answer([&] {
        for (; !done; Sleep(10)) {
            HWND box = FindWindowA("#32770", nullptr);
            char text[64] = {};
            if (!box || !IsWindowVisible(box) || !GetDlgItemTextA(box, 0xFFFF, text, 64))
                continue;
            boxes.push_back(text);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            while (IsWindow(box))
                Sleep(10);
        }
    });
    ThrowingWindow window;
    window.throwOn = WM_USER;
    EXPECT_NO_THROW(SendMessageA(window.Handle(), WM_USER, 0, 0));
    window.throwOn = WM_USER + 1;
    EXPECT_NO_THROW(SendMessageA(window.Handle(), WM_USER + 1, 0, 0));
    window.throwOn = WM_NCDESTROY; // the last message a window gets
    EXPECT_NO_THROW(DestroyWindow(window.Handle()));
    done = true;
    answer.join();
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Unbekannter Fehler.", "Zu wenig Arbeitsspeicher.",
                                               "Kaputt."}));
}

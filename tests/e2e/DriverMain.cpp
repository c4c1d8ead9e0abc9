// vorlund_driver: runs the launcher and reports a transcript of what it
// shows. Usage: vorlund_driver EXE [STEP...] with the steps
//   dialog         wait for the next dialog, report it, press OK
//   shot=FILE.bmp  save a screenshot of the whole screen
//   select=N       wait for the selection, move to row N, press the start button
//   exitbutton     wait for the selection, press the end button
//   close          ask the main window to close
//   sleep=MS       wait
//   waitfile=PATH  wait until a file exists (the name may hold * and ?)
//   hover=ID       move the mouse pointer over a control of the main window
//   size           report the main window's outer size
// Every wait times out after 30 s. At the end it waits for the process and
// reports its exit code; the driver's own exit code is 0 only when every step
// succeeded.
#include "support/Driver.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace vorlund::testing;

namespace {

constexpr DWORD kTimeout = 30000;

bool select(LauncherProcess& launcher, int row) {
    HWND form = launcher.WaitForSelection(kTimeout);
    if (!form)
        return false;
    HWND grid = Control(form, 14);
    PostMessageA(grid, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < row; ++i)
        PostMessageA(grid, WM_KEYDOWN, VK_DOWN, 0);
    Sleep(100);
    PostMessageA(Control(form, 12), BM_CLICK, 0, 0);
    return true;
}

bool step(LauncherProcess& launcher, const std::string& s) {
    if (s == "dialog") {
        auto d = launcher.WaitForDialog(kTimeout);
        if (!d)
            return false;
        std::printf("DIALOG %s\n", Describe(*d).c_str());
        PressOk(*d);
        return true;
    }
    if (s.rfind("shot=", 0) == 0)
        return SaveScreenshot(s.substr(5));
    if (s.rfind("select=", 0) == 0)
        return select(launcher, std::atoi(s.c_str() + 7));
    if (s == "exitbutton") {
        HWND form = launcher.WaitForSelection(kTimeout);
        return form && PostMessageA(Control(form, 13), BM_CLICK, 0, 0);
    }
    if (s == "close") {
        HWND form = launcher.WaitForWindow("TForm1", kTimeout);
        if (form)
            RequestClose(form);
        return form != nullptr;
    }
    if (s.rfind("waitfile=", 0) == 0) {
        const std::string path = s.substr(9);
        for (int i = 0; i < 30000; ++i) {
            WIN32_FIND_DATAA found;
            if (vorlund::win::UniqueFind(FindFirstFileA(path.c_str(), &found)))
                return true;
            Sleep(1);
        }
        return false;
    }
    if (s.rfind("hover=", 0) == 0) {
        HWND form = launcher.WaitForWindow("TForm1", kTimeout);
        HWND control = form ? Control(form, std::atoi(s.c_str() + 6)) : nullptr;
        RECT r;
        if (!control || !GetWindowRect(control, &r))
            return false;
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return true;
    }
    if (s == "size") {
        HWND form = launcher.WaitForWindow("TForm1", kTimeout);
        RECT r{};
        if (form)
            GetWindowRect(form, &r);
        std::printf("WINDOW %ldx%ld\n", r.right - r.left, r.bottom - r.top);
        return form != nullptr;
    }
    if (s.rfind("sleep=", 0) == 0) {
        Sleep(static_cast<DWORD>(std::atoi(s.c_str() + 6)));
        return true;
    }
    std::printf("unknown step %s\n", s.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: vorlund_driver EXE [STEP...]\n");
        return 2;
    }
    LauncherProcess launcher(argv[1]);
    if (!launcher.Pid()) {
        std::printf("cannot start %s\n", argv[1]);
        return 2;
    }
    bool ok = true;
    for (int i = 2; i < argc && ok; ++i) {
        ok = step(launcher, argv[i]);
        if (!ok)
            std::printf("STEP FAILED %s\n", argv[i]);
    }
    const auto code = launcher.WaitExit(kTimeout);
    if (code)
        std::printf("EXIT %lu\n", static_cast<unsigned long>(*code));
    else
        std::printf("EXIT timeout\n");
    std::fflush(stdout);
    return ok && code ? 0 : 1;
}

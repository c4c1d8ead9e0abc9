#include "support/Driver.h"

#include "base/Cp1252.h"
#include "base/Utf8.h"

#include <cstdio>
#include <fstream>

namespace vorlund::testing {
namespace {

struct Search {
    DWORD pid;
    const char* className; // nullptr: any dialog kind
    HWND found;
};

std::string classOf(HWND wnd) {
    char name[128] = {};
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

BOOL CALLBACK findWindow(HWND wnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != s->pid || !IsWindowVisible(wnd))
        return TRUE;
    const std::string cls = classOf(wnd);
    const bool match =
        s->className ? cls == s->className : (cls == "TMessageForm" || cls == "#32770");
    if (match) {
        s->found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND findTopLevel(DWORD pid, const char* className) {
    Search s{pid, className, nullptr};
    EnumWindows(findWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

template <typename F> auto poll(DWORD timeoutMs, F f, DWORD pollMs = 20) -> decltype(f()) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (true) {
        if (auto r = f())
            return r;
        if (GetTickCount64() >= end)
            return decltype(f()){};
        Sleep(pollMs);
    }
}

BOOL CALLBACK collectChild(HWND child, LPARAM param) {
    auto* d = reinterpret_cast<Dialog*>(param);
    const std::string cls = classOf(child);
    if (cls == "Button") {
        d->buttons.push_back(WindowText(child));
    } else if (cls == "Static") {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON)
            d->hasIcon = true;
        else if (d->text.empty()) {
            d->text = WindowText(child);
            d->exactText = WindowTextUtf8(child);
        }
    }
    return TRUE;
}

} // namespace

namespace {

std::u16string wideText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::u16string text(length + 1, u'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

} // namespace

// Read as Unicode and taken back to 1252 with the program's own table, so the
// texts compare the same whatever the ANSI code page.
std::string WindowText(HWND window) {
    return utf16ToCp1252(wideText(window));
}

std::string WindowTextUtf8(HWND window) {
    return utf16ToUtf8(wideText(window));
}

LauncherProcess::LauncherProcess(const std::string& exePath) {
    const std::string dir = exePath.substr(0, exePath.find_last_of("\\/") + 1);
    std::string commandLine = "\"" + exePath + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &si, &pi))
        return;
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
}

LauncherProcess::~LauncherProcess() {
    if (Running()) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool LauncherProcess::Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> LauncherProcess::WaitExit(DWORD timeoutMs) {
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

HWND LauncherProcess::WaitForWindow(const char* className, DWORD timeoutMs) const {
    return poll(timeoutMs, [&] { return findTopLevel(pid_, className); });
}

std::optional<Dialog> LauncherProcess::WaitForDialog(DWORD timeoutMs) const {
    HWND wnd = poll(timeoutMs, [&]() -> HWND {
        if (!Running())
            return nullptr;
        return findTopLevel(pid_, nullptr);
    });
    if (!wnd)
        return std::nullopt;
    Sleep(50); // let it finish showing its controls
    return ReadDialog(wnd);
}

HWND LauncherProcess::MainWindow() const {
    Search s{pid_, "TForm1", nullptr};
    EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
            auto* search = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            GetWindowThreadProcessId(wnd, &pid);
            if (pid == search->pid && classOf(wnd) == search->className) {
                search->found = wnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND LauncherProcess::WaitForSelection(DWORD timeoutMs, DWORD pollMs) const {
    return poll(
        timeoutMs,
        [&]() -> HWND {
            HWND form = MainWindow();
            HWND grid = form ? Control(form, 14) : nullptr;
            return (form && IsWindowVisible(form) && grid && IsWindowVisible(grid)) ? form
                                                                                    : nullptr;
        },
        pollMs);
}

Dialog ReadDialog(HWND dialog) {
    Dialog d;
    d.window = dialog;
    d.className = classOf(dialog);
    d.caption = WindowText(dialog);
    EnumChildWindows(dialog, collectChild, reinterpret_cast<LPARAM>(&d));
    return d;
}

void PressOk(const Dialog& dialog) {
    HWND ok = FindWindowExA(dialog.window, nullptr, "Button", nullptr);
    if (ok) {
        PostMessageA(ok, WM_KEYDOWN, VK_SPACE, 0x00390001);
        PostMessageA(ok, WM_KEYUP, VK_SPACE, 0xC0390001);
    }
    // Until it is gone, so that the next wait finds the next dialog.
    for (int i = 0; i < 200 && IsWindow(dialog.window) && IsWindowVisible(dialog.window); ++i)
        Sleep(10);
}

void RequestClose(HWND window) {
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

HWND Control(HWND parent, int id) {
    if (HWND direct = GetDlgItem(parent, id))
        return direct;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND inner = GetDlgItem(child, id))
            return inner;
    return nullptr;
}

std::string Describe(const Dialog& dialog) {
    std::string text;
    for (char c : dialog.text) {
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else
            text += c;
    }
    return dialog.caption + ": " + text;
}

bool SaveScreenshot(const std::string& path) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    win::WindowDc screen(nullptr);
    win::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    win::UniqueBitmap bitmap(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap)
        return false;
    {
        win::ScopedSelect select(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, w, h, screen.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    const DWORD stride = ((w * 3) + 3) & ~3;
    const DWORD imageSize = stride * h;
    BITMAPFILEHEADER file{
        0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    return static_cast<bool>(out);
}

win::UniqueKernel StartConsoleProgram(const std::string& exe, const std::vector<std::string>& args,
                                      const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::File output(CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output.get();
    si.hStdError = output.get();
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + exe + "\"";
    for (const std::string& arg : args)
        line.append(" \"").append(arg).append("\"");
    std::u16string wide = utf8ToUtf16(line); // arguments in any script
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(wide.data()), nullptr, nullptr, TRUE, 0,
                        nullptr, nullptr, &si, &pi))
        return {};
    const win::UniqueKernel thread(pi.hThread);
    return win::UniqueKernel(pi.hProcess);
}

DWORD RunConsoleProgram(const std::string& exe, const std::vector<std::string>& args,
                        const std::string& outputPath) {
    const win::UniqueKernel process = StartConsoleProgram(exe, args, outputPath);
    DWORD code = 99;
    if (process && WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.get(), &code);
    return code;
}

} // namespace vorlund::testing

#include "ui/Application.h"

#include "base/AsciiText.h"
#include "win/Unicode.h"

#include <new>
#include <stdexcept>

namespace vorlund {

Application& Application::instance() {
    static Application app;
    return app;
}

void Application::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void Application::dispatch(MSG& msg) {
    if (filter_ && filter_(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool Application::HandleMessage() {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return false;
    }
    dispatch(msg);
    return true;
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            continue;
        }
        dispatch(msg);
    }
}

void Application::Run() {
    while (!terminated_)
        HandleMessage();
}

void Application::ShowException(const std::exception& error) {
    showErrorBox(withFullStop(error.what()));
}

void Application::ShowException(std::exception_ptr error) {
    showErrorBox(ExceptionText(error));
}

void Application::showErrorBox(const std::string& text) {
    MessageBoxW(mainWindow_ && IsWindowVisible(mainWindow_) ? mainWindow_ : nullptr,
                win::Wide(text).c_str(), win::Wide(title_).c_str(), MB_OK | MB_ICONSTOP);
}

std::string Application::ExceptionText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return withFullStop("Zu wenig Arbeitsspeicher");
    } catch (const std::exception& e) {
        return withFullStop(e.what());
    } catch (...) {
        return withFullStop("Unbekannter Fehler");
    }
}

DisabledWindows::DisabledWindows(HWND except) : except_(except) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND wnd, LPARAM param) -> BOOL {
            auto* self = reinterpret_cast<DisabledWindows*>(param);
            if (wnd != self->except_ && IsWindowVisible(wnd) && IsWindowEnabled(wnd))
                self->disabled_.push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    for (HWND wnd : disabled_)
        EnableWindow(wnd, FALSE);
}

void DisabledWindows::Restore() {
    for (HWND wnd : disabled_)
        if (IsWindow(wnd))
            EnableWindow(wnd, TRUE);
    disabled_.clear();
}

} // namespace vorlund

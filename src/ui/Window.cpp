#include "ui/Window.h"

#include "ui/Application.h"
#include "win/CommonControls.h"
#include "win/Unicode.h"

#include <exception>

namespace vorlund {
namespace {

// No exception may cross the system's dispatch: it is reported like any
// other error that escapes a handler.
template <typename Handler> LRESULT guarded(Handler&& handler) {
    try {
        return handler();
    } catch (...) {
        Application::instance().ShowException(std::current_exception());
        return 0;
    }
}

} // namespace

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Window::RegisterClassOnce(const char* className, UINT style, HBRUSH background,
                               HCURSOR cursor) {
    const std::wstring name = win::Wide(className);
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(Application::instance().Instance(), name.c_str(), &wc))
        return;
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = Application::instance().Instance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
}

HWND Window::CreateWindowFor(DWORD exStyle, const char* className, const char* caption, DWORD style,
                             int x, int y, int width, int height, HWND parent, HMENU id) {
    return CreateWindowExW(exStyle, win::Wide(className).c_str(), win::Wide(caption).c_str(), style,
                           x, y, width, height, parent, id, Application::instance().Instance(),
                           this);
}

LRESULT CALLBACK Window::Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = wnd;
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        const LRESULT r = guarded([&] { return self->HandleMessage(msg, wp, lp); });
        self->hwnd_ = nullptr;
        return r;
    }
    return guarded([&] { return self->HandleMessage(msg, wp, lp); });
}

SubclassedControl::~SubclassedControl() {
    if (hwnd_) {
        win::comctl::RemoveWindowSubclass(hwnd_, &SubclassedControl::Procedure, 0);
        DestroyWindow(hwnd_);
    }
}

void SubclassedControl::Attach(HWND wnd) {
    hwnd_ = wnd;
    win::comctl::SetWindowSubclass(wnd, &SubclassedControl::Procedure, 0,
                                   reinterpret_cast<DWORD_PTR>(this));
}

LRESULT SubclassedControl::Default(UINT msg, WPARAM wp, LPARAM lp) {
    return win::comctl::DefSubclassProc(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK SubclassedControl::Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                              DWORD_PTR ref) {
    auto* self = reinterpret_cast<SubclassedControl*>(ref);
    if (msg == WM_NCDESTROY) {
        win::comctl::RemoveWindowSubclass(wnd, &SubclassedControl::Procedure, 0);
        self->hwnd_ = nullptr;
        return win::comctl::DefSubclassProc(wnd, msg, wp, lp);
    }
    return guarded([&] { return self->HandleMessage(msg, wp, lp); });
}

bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, HWND commandTarget, LRESULT& result) {
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        result = SendMessageW(item->hwndItem, kReflectedDrawItem, wp, lp);
        return true;
    }
    if (msg == WM_COMMAND && commandTarget) {
        result = SendMessageW(commandTarget, msg, wp, lp);
        return true;
    }
    return false;
}

} // namespace vorlund

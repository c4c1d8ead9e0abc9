#pragma once
// A C++ object per window: bound to its HWND at WM_NCCREATE, its window
// procedure hands every message to HandleMessage.
#include <windows.h>

namespace vorlund {

class Window {
  public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

  protected:
    // Registers a window class whose procedure dispatches to the bound object.
    static void RegisterClassOnce(const char* className, UINT style, HBRUSH background,
                                  HCURSOR cursor = LoadCursorA(nullptr, IDC_ARROW));
    HWND CreateWindowFor(DWORD exStyle, const char* className, const char* caption, DWORD style,
                         int x, int y, int width, int height, HWND parent, HMENU id);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

  private:
    static LRESULT CALLBACK Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// A standard control of the platform (button, progress bar) whose behaviour
// a C++ object extends through a subclass procedure.
class SubclassedControl {
  public:
    SubclassedControl() = default;
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;
    virtual ~SubclassedControl();

    HWND Handle() const { return hwnd_; }

  protected:
    void Attach(HWND wnd);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

  private:
    static LRESULT CALLBACK Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self);
    HWND hwnd_ = nullptr;
};

// Messages that a container sends back to the control they concern.
inline constexpr UINT kReflectBase = WM_USER + 0x1C00;
inline constexpr UINT kReflectedDrawItem = kReflectBase + WM_DRAWITEM;

// Handles WM_DRAWITEM and WM_COMMAND of a container: owner-draw requests go
// back to the control; commands go on to the given window.
bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, HWND commandTarget, LRESULT& result);

} // namespace vorlund

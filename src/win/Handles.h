#pragma once
// One move-only owner per Win32 handle kind, each with its own empty value.
#include <windows.h>

#include <utility>

namespace vorlund::win {

template <typename Traits> class Unique {
  public:
    using Type = typename Traits::Type;

    Unique() = default;
    explicit Unique(Type h) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : h_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }

    Type get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::empty(); }
    Type release() { return std::exchange(h_, Traits::empty()); }
    void reset(Type h = Traits::empty()) {
        if (h_ != Traits::empty())
            Traits::close(h_);
        h_ = h;
    }

  private:
    Type h_ = Traits::empty();
};

// Handles whose empty value is NULL, released by one platform function.
template <typename T, auto Release> struct NullTraits {
    using Type = T;
    static Type empty() { return nullptr; }
    static void close(Type h) { Release(h); }
};

using UniqueKey = Unique<NullTraits<HKEY, &RegCloseKey>>;
using UniqueKernel = Unique<NullTraits<HANDLE, &CloseHandle>>; // processes, threads, events
using UniqueBrush = Unique<NullTraits<HBRUSH, &DeleteObject>>;
using UniqueFont = Unique<NullTraits<HFONT, &DeleteObject>>;
using UniqueBitmap = Unique<NullTraits<HBITMAP, &DeleteObject>>;
using UniqueRegion = Unique<NullTraits<HRGN, &DeleteObject>>;
using UniqueIcon = Unique<NullTraits<HICON, &DestroyIcon>>;
using UniqueEnhMetaFile = Unique<NullTraits<HENHMETAFILE, &DeleteEnhMetaFile>>;
using UniqueMemoryDc = Unique<NullTraits<HDC, &DeleteDC>>;
using UniqueWindow = Unique<NullTraits<HWND, &DestroyWindow>>;
using UniqueLocal = Unique<NullTraits<HLOCAL, &LocalFree>>; // what the system allocated for us

// A directory search: INVALID_HANDLE_VALUE when empty.
struct FindTraits {
    using Type = HANDLE;
    static Type empty() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { FindClose(h); }
};
using UniqueFind = Unique<FindTraits>;

// Pages from VirtualAlloc: null when empty.
struct PagesTraits {
    using Type = void*;
    static Type empty() { return nullptr; }
    static void close(Type p) { VirtualFree(p, 0, MEM_RELEASE); }
};
using UniquePages = Unique<PagesTraits>;

// A file handle: INVALID_HANDLE_VALUE when empty. close() reports whether the
// close succeeded, which a destructor cannot.
class File {
  public:
    File() = default;
    explicit File(HANDLE h) : h_(h) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            close();
            h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    ~File() { close(); }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close() {
        if (h_ == INVALID_HANDLE_VALUE)
            return true;
        return CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)) != FALSE;
    }

  private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Selects a GDI object into a device context and restores the previous one.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() {
        if (old_ && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A device context obtained from a window (GetDC or GetWindowDC) and
// released on every path.
class WindowDc {
  public:
    enum Area { Client, WholeWindow };
    explicit WindowDc(HWND wnd, Area area = Client)
        : wnd_(wnd), dc_(area == Client ? GetDC(wnd) : GetWindowDC(wnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_)
            ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }

  private:
    HWND wnd_;
    HDC dc_;
};

// BeginPaint/EndPaint as one owner.
class PaintDc {
  public:
    explicit PaintDc(HWND wnd) : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(wnd_, &ps_); }
    HDC get() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

  private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

} // namespace vorlund::win

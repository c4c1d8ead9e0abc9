#include "win/CommonControls.h"

#include "win/DllSearch.h"

namespace vorlund::win::comctl {
namespace {

struct Library {
    HMODULE module = LoadSystemLibrary("comctl32.dll");
    template <typename F> F get(const char* name) const {
        return reinterpret_cast<F>(
            reinterpret_cast<void*>(module ? GetProcAddress(module, name) : nullptr));
    }
    decltype(&::InitCommonControlsEx) init = get<decltype(init)>("InitCommonControlsEx");
    decltype(&::SetWindowSubclass) setSubclass = get<decltype(setSubclass)>("SetWindowSubclass");
    decltype(&::RemoveWindowSubclass) removeSubclass =
        get<decltype(removeSubclass)>("RemoveWindowSubclass");
    decltype(&::DefSubclassProc) defSubclass = get<decltype(defSubclass)>("DefSubclassProc");
};

// Loaded once and kept for the life of the process, as a static import would be.
const Library& library() {
    static const Library lib;
    return lib;
}

} // namespace

bool InitCommonControlsEx(const INITCOMMONCONTROLSEX& controls) {
    return library().init && library().init(&controls);
}

bool SetWindowSubclass(HWND wnd, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    return library().setSubclass && library().setSubclass(wnd, procedure, id, data);
}

bool RemoveWindowSubclass(HWND wnd, SUBCLASSPROC procedure, UINT_PTR id) {
    return library().removeSubclass && library().removeSubclass(wnd, procedure, id);
}

LRESULT DefSubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return library().defSubclass ? library().defSubclass(wnd, msg, wp, lp)
                                 : DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace vorlund::win::comctl

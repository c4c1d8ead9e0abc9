#include "win/CommonControls.h"

#include "win/DllSearch.h"

namespace vorlund::win::comctl {
namespace {

struct Library {
    HMODULE module = LoadSystemLibrary("comctl32.dll");
    decltype(&::InitCommonControlsEx) init =
        Function<decltype(init)>(module, "InitCommonControlsEx");
    decltype(&::SetWindowSubclass) setSubclass =
        Function<decltype(setSubclass)>(module, "SetWindowSubclass");
    decltype(&::RemoveWindowSubclass) removeSubclass =
        Function<decltype(removeSubclass)>(module, "RemoveWindowSubclass");
    decltype(&::DefSubclassProc) defSubclass =
        Function<decltype(defSubclass)>(module, "DefSubclassProc");
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

#pragma once
// The common controls library, loaded from the system directory when first
// needed. Windows does not always take it from there, so a static import
// would load a copy placed beside the program before any restriction.
#include <windows.h>

#include <commctrl.h>

namespace vorlund::win::comctl {

bool InitCommonControlsEx(const INITCOMMONCONTROLSEX& controls);
bool SetWindowSubclass(HWND wnd, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
bool RemoveWindowSubclass(HWND wnd, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefSubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

} // namespace vorlund::win::comctl

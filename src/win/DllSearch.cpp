#include "win/DllSearch.h"

namespace vorlund::win {

void RestrictDllSearch() {
    // Present from Windows 8, and on Windows 7 with its loader update.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = Function<SetDefaultDllDirectoriesFn>(GetModuleHandleA("kernel32.dll"),
                                                                 "SetDefaultDllDirectories");
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const std::string& name) {
    char directory[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(directory, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    return LoadLibraryA((std::string(directory, n) + "\\" + name).c_str());
}

} // namespace vorlund::win

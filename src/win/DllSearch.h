#pragma once
// Where the program may load DLLs from. It is started from network folders
// that users can read but not vouch for, so a DLL placed beside it or in the
// current directory must never be loaded.
#include <windows.h>

#include <string>

namespace vorlund::win {

// Restricts every later load by name to the system directory and takes the
// current directory out of the search. Call it before anything else.
void RestrictDllSearch();

// A system DLL by its full path in the system directory.
HMODULE LoadSystemLibrary(const std::string& name);

// A function of a loaded DLL as its own type; null when the DLL or the
// function is missing.
template <typename F> F Function(HMODULE module, const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(module ? GetProcAddress(module, name) : nullptr));
}

} // namespace vorlund::win

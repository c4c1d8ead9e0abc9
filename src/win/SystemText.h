#pragma once
// Windows' own words for one of its errors, in the language of the PC.
#include <windows.h>

#include <string>

namespace vorlund::win {

// Without the line end Windows puts after it; "Fehler <n>" for an error
// Windows has no text for.
std::string SystemText(DWORD error);

} // namespace vorlund::win

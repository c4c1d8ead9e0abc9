#pragma once
// Text that the program paints itself, always Windows-1252 bytes, drawn
// through the Unicode functions: GDI would read the bytes in the ANSI code
// page of whatever PC the program runs on.
#include <windows.h>

#include <string_view>

namespace vorlund {

int DrawTextCp1252(HDC dc, std::string_view text, RECT& rect, UINT format);

} // namespace vorlund

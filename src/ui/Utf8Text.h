#pragma once
// Text that the program paints itself, UTF-8 inside, drawn through the
// Unicode function so that every script shows as written.
#include <windows.h>

#include <string_view>

namespace vorlund {

// DrawTextW of the text, converted exactly.
int DrawTextUtf8(HDC dc, std::string_view text, RECT& rect, UINT format);

} // namespace vorlund

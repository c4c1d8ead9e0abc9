#include "ui/Utf8Text.h"

#include "win/Unicode.h"

namespace vorlund {

int DrawTextUtf8(HDC dc, std::string_view text, RECT& rect, UINT format) {
    const std::wstring wide = win::Wide(text);
    return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format);
}

} // namespace vorlund

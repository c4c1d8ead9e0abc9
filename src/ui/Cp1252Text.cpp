#include "ui/Cp1252Text.h"

#include "base/Cp1252.h"

namespace vorlund {

int DrawTextCp1252(HDC dc, std::string_view text, RECT& rect, UINT format) {
    const std::u16string wide = cp1252ToUtf16(text);
    return DrawTextW(dc, reinterpret_cast<const wchar_t*>(wide.c_str()),
                     static_cast<int>(wide.size()), &rect, format);
}

} // namespace vorlund

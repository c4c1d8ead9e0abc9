#include "win/CodePage.h"

#include "win/Unicode.h"

#include <windows.h>

#include <climits>

namespace vorlund::win {

std::optional<std::string> DecodeCodePage(unsigned codePage, std::string_view bytes) {
    if (!IsValidCodePage(codePage) || bytes.size() > INT_MAX)
        return std::nullopt;
    if (bytes.empty())
        return std::string();
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return std::nullopt; // a code page that only converts to Unicode in managed code
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
    return Narrow(wide);
}

std::optional<std::string> EncodeCodePage(unsigned codePage, std::string_view utf8) {
    const std::wstring wide = Wide(utf8);
    if (!IsValidCodePage(codePage) || wide.size() > INT_MAX)
        return std::nullopt;
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL lacking = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                      nullptr, &lacking);
    if (n <= 0 || lacking)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), n, nullptr,
                        nullptr);
    return bytes;
}

} // namespace vorlund::win

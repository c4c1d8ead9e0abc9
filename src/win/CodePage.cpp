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

} // namespace vorlund::win

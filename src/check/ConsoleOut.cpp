#include "check/ConsoleOut.h"

#include "base/Cp1252.h"

#include <windows.h>

namespace vorlund::check {

void WriteOut(std::string_view text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::u16string wide = cp1252ToUtf16(text);
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        const std::string utf8 = cp1252ToUtf8(text);
        WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

} // namespace vorlund::check

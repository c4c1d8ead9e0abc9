#include "win/SystemText.h"

#include "win/Unicode.h"

namespace vorlund::win {

std::string SystemText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const UniqueLocal owner(text);
    std::string out = n ? Narrow(std::wstring_view(text, n)) : "Fehler " + std::to_string(error);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\r' || out.back() == '\n'))
        out.pop_back();
    return out;
}

} // namespace vorlund::win

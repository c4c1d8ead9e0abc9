#include "win/Unicode.h"

#include "base/Utf8.h"

namespace vorlund::win {

std::wstring Wide(std::string_view text) {
    const std::u16string wide = utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view text) {
    return utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return CompareIgnoringCase(Wide(a), Wide(b)) == 0;
}

int CompareIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
}

File OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return File(
        CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition, flags, nullptr));
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    // Not sharing deletion: a replace meanwhile is refused, and tried again,
    // rather than leaving the name held by a file waiting to go.
    const File file =
        OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > MAXDWORD)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() &&
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        return std::nullopt;
    bytes.resize(got);
    return bytes;
}

} // namespace vorlund::win

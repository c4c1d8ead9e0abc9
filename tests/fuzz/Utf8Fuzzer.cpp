// libFuzzer target: the UTF-8 functions against their own promises, for any
// bytes: cleaning is idempotent and lossless for well-formed text, UTF-16
// round trips hold, counts agree with the conversions, a cut never splits a
// character, and a cell is clean and no wider than asked.
#include "base/Utf8.h"
#include "fleet/CellText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace vorlund;

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

void asUtf8(std::string_view bytes) {
    const std::string clean = wellFormedUtf8(bytes);
    require(wellFormedUtf8(clean) == clean);
    const std::u16string wide = utf8ToUtf16(bytes);
    require(utf16ToUtf8(wide) == clean);
    require(utf8ToUtf16(clean) == wide);
    require(utf16Length(clean) == wide.size());
    const size_t length = utf8Length(clean);
    size_t counted = 0;
    for (size_t at = 0; at < clean.size(); ++counted)
        nextCodePoint(clean, at);
    require(counted == length);
    for (size_t n : {size_t{0}, size_t{1}, length / 2, length, length + 1}) {
        const std::string_view prefix = utf8Prefix(clean, n);
        require(wellFormedUtf8(prefix) == prefix);
        require(utf8Length(prefix) == (n < length ? n : length));
    }
    const std::string cell = fleet::CellText(bytes, 1 + bytes.size() % 70);
    require(wellFormedUtf8(cell) == cell && utf8Length(cell) <= 1 + bytes.size() % 70);
}

// The same bytes as UTF-16 units: a lone surrogate becomes U+FFFD, and
// everything else comes back.
void asUtf16(std::string_view bytes) {
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    const std::string text = utf16ToUtf8(units);
    require(wellFormedUtf8(text) == text);
    const std::u16string back = utf8ToUtf16(text);
    require(back.size() == units.size());
    for (size_t i = 0; i < units.size(); ++i)
        require(back[i] == units[i] || back[i] == 0xFFFD);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    asUtf8(bytes);
    asUtf16(bytes);
    return 0;
}

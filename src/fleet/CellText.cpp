#include "fleet/CellText.h"

#include "base/Utf8.h"

namespace vorlund::fleet {
namespace {

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

std::string CleanText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const char32_t c = nextCodePoint(text, at);
        appendUtf8(out, isControl(c) ? U'?' : c);
    }
    return out;
}

std::string CellText(std::string_view text, size_t characters) {
    std::string out = CleanText(text);
    if (characters > 0 && utf8Length(out) > characters)
        out = std::string(utf8Prefix(out, characters - 1)) + "\u2026";
    return out;
}

} // namespace vorlund::fleet

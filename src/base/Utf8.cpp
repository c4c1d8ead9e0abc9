#include "base/Utf8.h"

namespace vorlund {
namespace {

struct Decoded {
    char32_t character;
    size_t length; // bytes taken; an ill-formed part is taken as one U+FFFD
};

bool inRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

// The well-formed sequences of Unicode's table 3-7: the second byte's range
// depends on the lead, which rules out overlong forms, surrogates and values
// past U+10FFFF.
Decoded decodeAt(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1};
    size_t extra = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (inRange(lead, 0xC2, 0xDF)) {
        extra = 1;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        extra = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        extra = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {kReplacementCharacter, 1};
    }
    char32_t c = lead & (0x3F >> extra);
    for (size_t i = 1; i <= extra; ++i) {
        if (at + i >= text.size())
            return {kReplacementCharacter, i};
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (!inRange(next, i == 1 ? low : 0x80, i == 1 ? high : 0xBF))
            return {kReplacementCharacter, i};
        c = (c << 6) | (next & 0x3F);
    }
    return {c, extra + 1};
}

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t nextCodePoint(std::string_view text, size_t& at) {
    const Decoded d = decodeAt(text, at);
    at += d.length;
    return d.character;
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const Decoded d = decodeAt(text, at);
        at += d.length;
        if (d.character < 0x10000) {
            out += static_cast<char16_t>(d.character);
        } else {
            out += static_cast<char16_t>(0xD800 + ((d.character - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((d.character - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pairs =
            high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pairs) {
            appendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else {
            appendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? kReplacementCharacter : c);
        }
    }
    return out;
}

std::string wellFormedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const Decoded d = decodeAt(text, at);
        if (d.character == kReplacementCharacter)
            appendUtf8(out, d.character);
        else
            out.append(text.substr(at, d.length));
        at += d.length;
    }
    return out;
}

size_t utf8Length(std::string_view text) {
    size_t n = 0;
    for (char c : text)
        n += !isContinuation(c);
    return n;
}

size_t utf16Length(std::string_view text) {
    size_t n = 0;
    for (char c : text)
        n += !isContinuation(c) + (static_cast<unsigned char>(c) >= 0xF0); // a pair from U+10000
    return n;
}

std::string_view utf8Prefix(std::string_view text, size_t characters) {
    size_t at = 0;
    for (size_t taken = 0; at < text.size(); ++at) {
        if (!isContinuation(text[at]) && taken++ == characters)
            break;
    }
    return text.substr(0, at);
}

} // namespace vorlund

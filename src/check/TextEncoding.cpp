#include "check/TextEncoding.h"

namespace vorlund::check {
namespace {

bool continuation(unsigned char c) {
    return c >= 0x80 && c <= 0xBF;
}

// The length of a well-formed UTF-8 sequence of two or more bytes at the
// start of text, or 0. German Windows-1252 text practically never holds one.
size_t utf8Sequence(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i)
        if (!continuation(static_cast<unsigned char>(text[i])))
            return 0;
    return length;
}

// ASCII text in UTF-16 has a NUL in every other byte.
bool looksLikeUtf16(std::string_view bytes) {
    return bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0');
}

} // namespace

EncodingFindings ExamineEncoding(std::string_view bytes) {
    EncodingFindings found;
    found.marked = bytes.starts_with("\357\273\277") || bytes.starts_with("\377\376") ||
                   bytes.starts_with("\376\377");
    if (found.marked)
        return found;
    if (looksLikeUtf16(bytes)) {
        found.utf16 = true;
        return found;
    }
    int line = 1;
    bool marked = false;
    for (size_t i = 0; i < bytes.size();) {
        if (bytes[i] == '\n') {
            ++line;
            marked = false;
            ++i;
            continue;
        }
        const size_t n = utf8Sequence(bytes.substr(i));
        if (n > 0 && !marked) {
            found.utf8Lines.push_back(line);
            marked = true;
        }
        i += n > 0 ? n : 1;
    }
    return found;
}

} // namespace vorlund::check

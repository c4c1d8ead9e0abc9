#include "config/ProfileDecoding.h"

#include "base/Cp1252.h"
#include "base/Utf8.h"
#include "config/IntParse.h"
#include "config/ProfileText.h"

#include <algorithm>

namespace vorlund {
namespace {

constexpr unsigned kWindows1252 = 1252;
constexpr unsigned kUtf8 = 65001;

// An odd last byte is half a character: U+FFFD, as for a lone surrogate.
std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    std::string text = utf16ToUtf8(units);
    if (bytes.size() % 2 != 0)
        appendUtf8(text, kReplacementCharacter);
    return text;
}

int32_t requestedCodePage(std::string_view bytes) {
    const std::string value =
        ProfileText(bytes, "SETUP").Value("SETUP", "codepage", "", ProfileText::kUnlimited);
    return readIntOrDefault(value, 0);
}

DecodedProfile inCodePage(std::string_view bytes, int32_t wanted,
                          const CodePageDecoder& decodeCodePage) {
    DecodedProfile out;
    out.encoding.requested = wanted;
    if (wanted == static_cast<int32_t>(kUtf8)) {
        out.encoding.codePage = kUtf8;
        out.text = wellFormedUtf8(bytes);
        return out;
    }
    if (wanted > 0 && wanted != static_cast<int32_t>(kWindows1252) && decodeCodePage) {
        if (std::optional<std::string> text =
                decodeCodePage(static_cast<unsigned>(wanted), bytes)) {
            out.encoding.codePage = static_cast<unsigned>(wanted);
            out.text = std::move(*text);
            return out;
        }
    }
    out.text = cp1252ToUtf8(bytes); // also for a code page Windows does not know
    return out;
}

bool isUtf8WithNonAscii(std::string_view bytes) {
    const bool nonAscii = std::any_of(bytes.begin(), bytes.end(),
                                      [](char c) { return static_cast<unsigned char>(c) > 127; });
    return nonAscii && wellFormedUtf8(bytes) == bytes;
}

} // namespace

DecodedProfile DecodeProfile(std::string_view bytes, const CodePageDecoder& decodeCodePage) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {wellFormedUtf8(bytes.substr(3)), {ProfileEncoding::Utf8Mark}};
    if (bytes.starts_with("\xFF\xFE"))
        return {fromUtf16(bytes.substr(2), false), {ProfileEncoding::Utf16LeMark}};
    if (bytes.starts_with("\xFE\xFF"))
        return {fromUtf16(bytes.substr(2), true), {ProfileEncoding::Utf16BeMark}};
    const int32_t requested = requestedCodePage(bytes);
    if (requested == 0 && isUtf8WithNonAscii(bytes)) {
        DecodedProfile out{std::string(bytes), {ProfileEncoding::Utf8Detected}};
        out.encoding.codePage = kUtf8;
        return out;
    }
    return inCodePage(bytes, requested, decodeCodePage);
}

} // namespace vorlund

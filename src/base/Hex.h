#pragma once
// Bytes as hexadecimal text and back: lower-case out, either case in.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

using Bytes = std::vector<unsigned char>;

inline std::string ToHex(const unsigned char* data, size_t size) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xF];
    }
    return out;
}

inline std::string ToHex(const Bytes& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

// A hexadecimal digit's value, or -1.
inline int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Nothing unless every character is a hexadecimal digit and there are
// exactly `size` bytes of them.
inline std::optional<Bytes> FromHex(std::string_view text, size_t size) {
    if (text.size() != size * 2)
        return std::nullopt;
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return out;
}

} // namespace vorlund

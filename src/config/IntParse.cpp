#include "config/IntParse.h"

#include "base/Hex.h"

#include <string>

namespace vorlund {

std::optional<int64_t> parseCount(std::string_view text) {
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}
namespace {

int hexDigit(char c) {
    return HexDigit(c);
}

std::optional<int32_t> parseHex(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    uint32_t value = 0;
    int significant = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        if (significant > 0 || d != 0)
            ++significant;
        if (significant > 8)
            return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(value);
}

} // namespace

std::optional<int32_t> parseDecimal32(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

std::optional<int32_t> parseInt32(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    if (text[0] == '$' || text[0] == 'x' || text[0] == 'X')
        return parseHex(text.substr(1));
    return parseDecimal32(text);
}

std::optional<int32_t> readInt(std::string_view text) {
    std::string adjusted(text);
    if (adjusted.size() > 2 && adjusted[0] == '0' && (adjusted[1] == 'x' || adjusted[1] == 'X'))
        adjusted.replace(0, 2, "$");
    return parseInt32(adjusted);
}

int32_t readIntOrDefault(std::string_view text, int32_t fallback) {
    return readInt(text).value_or(fallback);
}

} // namespace vorlund

#pragma once
// Reading integers from configuration text: decimal with optional sign, or
// hexadecimal after "$", "x", "X" (and "0x"/"0X") as 32-bit two's complement.
#include <cstdint>
#include <optional>
#include <string_view>

namespace vorlund {

// The strict conversion; no value when the text does not follow the rules.
std::optional<int32_t> parseInt32(std::string_view text);

// Decimal only: an optional sign and digits, nothing else.
std::optional<int32_t> parseDecimal32(std::string_view text);

// A count or size: decimal digits only, up to 18 of them (an int64_t holds
// them all); a file may pass 2 GiB.
std::optional<int64_t> parseCount(std::string_view text);

// The configuration reader's rule: "0x"/"0X" at the start of a text longer
// than two characters reads as "$", then parseInt32; nothing when it fails.
std::optional<int32_t> readInt(std::string_view text);
// The same, with the default for a text that is no number.
int32_t readIntOrDefault(std::string_view text, int32_t fallback);

} // namespace vorlund

#pragma once
// Text inside the program is UTF-8. These are the exact conversions to and
// from the UTF-16 that Windows speaks, and the character counts that field
// widths and Windows' path limits are measured in.
#include <cstddef>
#include <string>
#include <string_view>

namespace vorlund {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Every well-formed character as it is; anything else (a stray or missing
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF)
// becomes U+FFFD, one for each maximal ill-formed part, so no decoding
// yields a character that the bytes did not hold.
std::u16string utf8ToUtf16(std::string_view text);
// A lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// The text with each ill-formed part replaced by U+FFFD.
std::string wellFormedUtf8(std::string_view text);
void appendUtf8(std::string& out, char32_t c);
// The character that starts at `at`, which then moves past it; an
// ill-formed part gives one U+FFFD and is passed over whole. `at` must lie
// within the text.
char32_t nextCodePoint(std::string_view text, size_t& at);

// Characters (code points) of well-formed UTF-8.
size_t utf8Length(std::string_view text);
// The code units the text takes in UTF-16, which Windows' limits count.
size_t utf16Length(std::string_view text);
// At most `characters` characters, never a part of one.
std::string_view utf8Prefix(std::string_view text, size_t characters);

} // namespace vorlund

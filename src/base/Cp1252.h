#pragma once
// Windows-1252 text to Unicode and back, independent of the code page of whatever PC
// the program runs on.
#include <string>
#include <string_view>

namespace vorlund {

char16_t cp1252ToUnicode(unsigned char byte);
std::u16string cp1252ToUtf16(std::string_view text);
std::string cp1252ToUtf8(std::string_view text);
// UTF-8 back to Windows-1252: a character 1252 lacks, or each ill-formed
// part (an overlong form, a surrogate, a stray byte), becomes "?".
std::string utf8ToCp1252(std::string_view text);
// UTF-16 back to Windows-1252, with "?" for what 1252 lacks (surrogates included).
std::string utf16ToCp1252(std::u16string_view text);

} // namespace vorlund

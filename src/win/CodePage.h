#pragma once
// Text in one of Windows' ANSI code pages, decoded by Windows itself.
#include <optional>
#include <string>
#include <string_view>

namespace vorlund::win {

// The bytes as UTF-8, or nothing for a code page this Windows does not know.
std::optional<std::string> DecodeCodePage(unsigned codePage, std::string_view bytes);
// UTF-8 in the code page, or nothing when the code page cannot hold every
// character exactly (no best-fit stand-ins).
std::optional<std::string> EncodeCodePage(unsigned codePage, std::string_view utf8);

} // namespace vorlund::win

#pragma once
// Text in one of Windows' ANSI code pages, decoded by Windows itself.
#include <optional>
#include <string>
#include <string_view>

namespace vorlund::win {

// The bytes as UTF-8, or nothing for a code page this Windows does not know.
std::optional<std::string> DecodeCodePage(unsigned codePage, std::string_view bytes);

} // namespace vorlund::win

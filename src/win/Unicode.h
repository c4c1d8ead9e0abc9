#pragma once
// Texts are UTF-8 inside the program. Where they meet Windows they go
// through the Unicode functions, converted exactly both ways, so every name
// and path is carried as Windows has it, whatever the PC's ANSI code page.
#include "win/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vorlund::win {

std::wstring Wide(std::string_view text);
// A lone surrogate (which no file name should hold) becomes U+FFFD.
std::string Narrow(std::wstring_view text);

// Whether two names are the same to Windows' registry and file system:
// without regard to letter case, in every script.
bool SameIgnoringCase(std::string_view a, std::string_view b);
// The order that comparison puts names in: negative, 0 (the same) or positive.
int CompareIgnoringCase(std::wstring_view a, std::wstring_view b);

File OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
              DWORD flags = FILE_ATTRIBUTE_NORMAL);

// The whole file, or nothing when it cannot be opened for reading with
// others reading and writing it too, or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

} // namespace vorlund::win

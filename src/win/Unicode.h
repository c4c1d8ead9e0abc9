#pragma once
// Texts stay Windows-1252 bytes inside the program. Where they meet Windows
// they go through the Unicode functions, converted with the program's own
// 1252 table, so the ANSI code page of the PC plays no part.
#include "win/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vorlund::win {

std::wstring Wide(std::string_view text);
// A character 1252 lacks becomes "?".
std::string Narrow(std::wstring_view text);

File OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
              DWORD flags = FILE_ATTRIBUTE_NORMAL);

// The whole file, or nothing when it cannot be opened for reading with
// others reading and writing it too, or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

} // namespace vorlund::win

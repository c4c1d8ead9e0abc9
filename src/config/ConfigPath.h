#pragma once
// Where the launcher finds its files: the program directory and the
// configuration file beside the program file.
#include <string>
#include <string_view>

namespace vorlund {

// The directory part of a full path (up to its last backslash or colon),
// always ending in a backslash.
std::string programDirectory(std::string_view exePath);

// The program file's name with its extension replaced by ".INI", in the
// program directory: D:\Tools\vorlund.exe gives D:\Tools\vorlund.INI.
std::string configFilePath(std::string_view exePath);

} // namespace vorlund

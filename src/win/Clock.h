#pragma once
// The local date and time as the program writes it down.
#include <string>

namespace vorlund::win {

// "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText();

} // namespace vorlund::win

#pragma once
// What a console tool reads and writes: its arguments as typed, in whatever
// script, and UTF-8 text to standard output so that every character comes
// out right: as Unicode in a console window, as UTF-8 into a file or pipe.
#include <string>
#include <string_view>
#include <vector>

namespace vorlund::win {

// The arguments after the program's own name, split as paths are meant.
std::vector<std::string> Arguments();

void WriteOut(std::string_view utf8Text);

} // namespace vorlund::win

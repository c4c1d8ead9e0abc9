#pragma once
// Writes UTF-8 text to standard output so that every character comes out
// right: as Unicode in a console window, as UTF-8 into a file or pipe.
#include <string_view>

namespace vorlund::win {

void WriteOut(std::string_view utf8Text);

} // namespace vorlund::win

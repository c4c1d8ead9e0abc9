#pragma once
// Writes Windows-1252 text to standard output so that umlauts come out
// right: as Unicode in a console window, as UTF-8 into a file or pipe.
#include <string_view>

namespace vorlund::check {

void WriteOut(std::string_view cp1252Text);

} // namespace vorlund::check

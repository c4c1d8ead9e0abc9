#pragma once
// The command line of the administrator's tools, split as a path-minded
// user means it: blanks between arguments, quotes around one with blanks,
// and every backslash as it stands. Windows' own rules take a backslash
// before a quote for a quote, so that "C:\Logs\" swallows the arguments
// after it; no Windows path holds a quote, so here a quote only groups, and
// a text that needs one doubles it inside quotes ("Bitte ""Lager"" ...").
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

// Every argument, the program's own name first.
std::vector<std::string> SplitCommandLine(std::string_view line);

} // namespace vorlund

#pragma once
// Text from a run log as every output of the fleet shows it. Each log is
// written by whoever starts the launcher on whatever workstation, so any
// byte may stand in it: the console table, the page and the spreadsheet file
// all take their cells through these two functions.
#include <cstddef>
#include <string>
#include <string_view>

namespace vorlund::fleet {

// Well-formed UTF-8 (each ill-formed part becomes U+FFFD, as the
// configuration's decoder does), then every C0 and C1 control and DEL
// shown as "?": nothing a terminal, a page or a spreadsheet could take for
// an instruction.
std::string CleanText(std::string_view text);

// The clean text, at most `characters` characters: a longer one keeps
// `characters` - 1 of them and ends in "…". A cut never splits a character.
std::string CellText(std::string_view text, size_t characters);

} // namespace vorlund::fleet

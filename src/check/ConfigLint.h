#pragma once
// What the configuration reader passes over without a word, named for the
// administrator: values that are no number where a number is read, switches
// other than 0 and 1, keys the launcher does not know (with the one that was
// probably meant), keys and sections given twice, and quotes the reader
// takes away. Works on the parsed text only: no file, no Windows.
#include "config/ProfileText.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund::check {

// One remark; `key` (lower case) names the key it belongs to, empty for the
// section as a whole.
struct ConfigNote {
    std::string key;
    std::string text;
};

// Remarks on the section the launcher reads under this name: [SETUP], or a
// program entry.
std::vector<ConfigNote> SetupNotes(const ProfileText& text);
std::vector<ConfigNote> EntryNotes(const ProfileText& text, std::string_view section);

// Edits (insert, delete, replace one letter) between two names, letter case
// of A to Z aside.
size_t EditDistance(std::string_view a, std::string_view b);
// A section meant as [SETUP]: one letter away from it.
bool LooksLikeSetup(std::string_view section);

} // namespace vorlund::check

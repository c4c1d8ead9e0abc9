#pragma once
// What kind of program a file is, from its PE header: a 64-bit Access
// cannot use a 32-bit ODBC driver.
#include <string_view>

namespace vorlund::check {

enum class Bitness { Unknown, Bits32, Bits64 };

// From the file's first bytes (4 KiB hold any real header).
Bitness ExecutableBitness(std::string_view head);

} // namespace vorlund::check

#pragma once
// The check's report in German, as UTF-8 text with CRLF line ends.
#include "check/Facts.h"

#include <cstdint>
#include <string>

namespace vorlund::check {

std::string Report(const ConfigFacts& config, const std::string& version);

// Bytes as German writes them: 1.234.567
std::string GroupedNumber(uint64_t value);

} // namespace vorlund::check

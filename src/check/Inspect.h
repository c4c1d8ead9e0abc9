#pragma once
// Gathers what the launcher would find on this workstation for one
// configuration file, through the launcher's own configuration code. Reads
// only: no registry key or value, file or directory is created or changed.
#include "check/Facts.h"

#include <string>

namespace vorlund::check {

// iniPath is a full path.
ConfigFacts Inspect(const std::string& iniPath);

} // namespace vorlund::check

#pragma once
// Reading a folder of run logs for the fleet table.
#include "check/Fleet.h"

#include <string>
#include <vector>

namespace vorlund::check {

// The rows of every *.log file, and the names of those that hold no run
// line; false when the folder cannot be read at all.
bool ReadFleet(const std::string& folder, Fleet& fleet);

} // namespace vorlund::check

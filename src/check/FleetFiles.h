#pragma once
// Reading a folder of run logs for the fleet table.
#include "check/Fleet.h"

#include <string>
#include <vector>

namespace vorlund::check {

// One row per *.log file that holds a run line; false when the folder cannot
// be read at all.
bool ReadFleet(const std::string& folder, std::vector<FleetRow>& rows);

} // namespace vorlund::check

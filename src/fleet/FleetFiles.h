#pragma once
// Reading a folder of run logs for the fleet table.
#include "fleet/Fleet.h"

#include <functional>
#include <string>
#include <vector>

namespace vorlund::fleet {

// The rows of every *.log file, and the names of those that hold no run
// line; false when the folder cannot be read at all.
// `each` sees every run line with the name of its file, for the rollout.
bool ReadFleet(const std::string& folder, Fleet& fleet,
               const std::function<void(const std::string& file, const RunRecord& run)>& each = {});

} // namespace vorlund::fleet

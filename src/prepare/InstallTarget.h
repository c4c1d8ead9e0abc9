#pragma once
// Whether an entry's paths make an installation of its own, judged the way
// Windows sees the names and the files: the launcher refuses such an entry
// before it writes anything, and the check fails it, by this one function.
#include "config/Environment.h"
#include "prepare/InstallRule.h"

namespace vorlund {

InstallDirFault InstallTargetFault(const EntryPaths& paths);

} // namespace vorlund

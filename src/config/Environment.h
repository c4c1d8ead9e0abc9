#pragma once
// %NAME% references in the configuration's paths, replaced from the
// process's environment.
#include <string>

namespace vorlund {

// Replaces every %NAME% whose NAME is defined; an undefined one stays as
// written. The result is cut like any value read from the configuration.
std::string ExpandEnvironment(const std::string& value);

} // namespace vorlund

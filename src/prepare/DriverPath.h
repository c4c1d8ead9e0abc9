#pragma once
#include "prepare/Registry.h"

#include <string>

namespace vorlund {

inline constexpr const char* kCurrentVersionKey =
    "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// The ODBC driver library's full path from the Windows directory, or empty
// when the key cannot be opened. Leaves the key open.
std::string DetermineDriverPath(TRegistry& registry, const char* keyPath = kCurrentVersionKey);

} // namespace vorlund

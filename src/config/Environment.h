#pragma once
// %NAME% references in the configuration's paths, replaced from the
// process's environment. The program list keeps the paths as written; they
// are expanded where they are used, so that a short %LOCALAPPDATA%\... works
// whatever the profile's length.
#include "config/ProgramList.h"

#include <string>

namespace vorlund {

// Replaces every %NAME% whose NAME is defined; an undefined one stays as
// written. The result is never shortened, whatever its length.
std::string ExpandEnvironment(const std::string& value);

// The current entry's paths, expanded. Joined by plain concatenation.
struct EntryPaths {
    std::string centralDir; // ends in a backslash
    std::string installDir; // as configured, with or without its backslash
    std::string mdbName;
    std::string centralName; // where it is not mdbName: the pilot ring's copy
    std::string Central() const {
        return centralDir + (centralName.empty() ? mdbName : centralName);
    }
    std::string Local() const { return installDir + mdbName; }
};
EntryPaths ExpandEntryPaths(const ProgramList& programs);

} // namespace vorlund

#pragma once
#include "config/IniFile.h"
#include "config/ProgramList.h"

#include <string>

namespace vorlund {

// Appends one record to the program list and fills it from the named section.
void ReadProgramm(ProgramList& programs, const IniFile& config, const std::string& section);

} // namespace vorlund

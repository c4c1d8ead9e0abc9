#pragma once
// The entry preparation: narrowing the program list to the chosen entry, the
// ODBC user data source, the version check with installation, the copy with
// progress, and the shell's open request.
#include "app/RunState.h"
#include "config/ProgramList.h"
#include "prepare/PrepareHost.h"

#include <string>

namespace vorlund {

inline constexpr const char* kOdbcIniKey = "\\SOFTWARE\\ODBC\\ODBC.INI\\";
inline constexpr const char* kOdbcDataSourcesKey = "\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
inline constexpr const char* kVersionKeyBase = "\\SOFTWARE\\KORVEL\\";

void LaunchProgram(PrepareHost& host, ProgramList& programs, RunState& run, int32_t id);

// Writes the entry's data source; false when its key cannot be opened or created.
bool RegisterOdbcDataSource(ProgramList& programs, RunState& run);

void CheckVersionAndInstall(PrepareHost& host, ProgramList& programs, RunState& run);

// Copies source to destination in 64 KiB chunks with progress. The bytes go
// to a partial file beside the destination that replaces it only when
// complete, so the destination never holds a half-written copy.
bool XCopyFile(PrepareHost& host, const std::string& source, const std::string& destination);
std::string PartialCopyPath(const std::string& destination);

void LaunchStep(PrepareHost& host, RunState& run);

} // namespace vorlund

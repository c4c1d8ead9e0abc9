#pragma once
#include "config/ProfileReader.h"
#include "config/ProgramList.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

// The keys the launcher reads in [SETUP]. An entry's keys are the program
// list's fields (all but `id`), read by ReadProgramm under the same names.
inline constexpr std::array<std::string_view, 4> kSetupKeys{"JpegImage", "codepage", "logdir",
                                                            "gesperrt"};

// Keys only vorlundpublish reads, in an entry or in [SETUP]: how many
// published releases stay beside the central copy.
inline constexpr std::array<std::string_view, 1> kPublishKeys{"versionen"};

// The keys of an entry's ODBC data source. An entry that names none of them
// has no data source: the launcher registers nothing for it.
inline constexpr std::array<std::string_view, 4> kDataSourceKeys{"odbcname", "odbcpath",
                                                                 "odbccharacterset", "odbcrole"};

// Appends one record to the program list and fills it from the named section.
void ReadProgramm(ProgramList& programs, const ProfileReader& config, const std::string& section);

// Whether the current entry names an ODBC data source at all.
bool NamesDataSource(const ProgramList& programs);
// The keys among odbcname, mdbname and displayname that the current entry
// lacks (or gives empty): without them it can neither be registered nor
// installed nor named. In that order; odbcname only where the entry names
// a data source.
std::vector<std::string> MissingRequiredKeys(const ProgramList& programs);
// Keys as a message names them: "odbcname, mdbname".
std::string ListedKeys(const std::vector<std::string>& keys);

// The configuration's program entries, for the launcher and the check alike:
// one record per section other than SETUP (in any letter case), in file
// order, each read by `read`. Returns the sections that became entries; none
// means the configuration is faulty.
std::vector<std::string>
LoadProgramEntries(const std::vector<std::string>& sections,
                   const std::function<void(const std::string& section)>& read);

} // namespace vorlund

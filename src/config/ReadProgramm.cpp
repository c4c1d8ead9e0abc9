#include "config/ReadProgramm.h"

namespace vorlund {

void ReadProgramm(ProgramList& programs, const IniFile& config, const std::string& section) {
    programs.Append();
    programs.SetField("version", config.ReadInteger(section, "version", 0));
    programs.SetField("mdbname", config.ReadString(section, "mdbname", ""));
    // Paths are kept as written; %NAME% is expanded where they are used.
    std::string mdbpath = config.ReadString(section, "mdbpath", "");
    if (mdbpath.empty() || mdbpath.back() != '\\')
        mdbpath += '\\';
    programs.SetField("mdbpath", mdbpath);
    programs.SetField("tmpdir", config.ReadString(section, "tmpdir", ""));
    programs.SetField("displayname", config.ReadString(section, "displayname", ""));
    programs.SetField("odbcname", config.ReadString(section, "odbcname", ""));
    programs.SetField("odbcpath", config.ReadString(section, "odbcpath", ""));
    programs.SetField("odbcCharacterset",
                      config.ReadString(section, "odbccharacterset", "ISO8859_1"));
    programs.SetField("odbcRole", config.ReadString(section, "odbcrole", "3"));
    programs.Post();
}

} // namespace vorlund

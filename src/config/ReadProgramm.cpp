#include "config/ReadProgramm.h"

#include "base/AsciiText.h"

#include <algorithm>

namespace vorlund {
namespace {

constexpr char kAbsent[] = "\x01"; // no value a file can give

} // namespace

void ReadProgramm(ProgramList& programs, const ProfileReader& config, const std::string& section) {
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
    const std::string odbcName = config.ReadString(section, "odbcname", kAbsent);
    const std::string odbcPath = config.ReadString(section, "odbcpath", kAbsent);
    programs.SetField("odbcname", odbcName == kAbsent ? "" : odbcName);
    programs.SetField("odbcpath", odbcPath == kAbsent ? "" : odbcPath);
    // A front-end without a data source names none of its keys: it keeps
    // them all empty, and nothing is registered.
    const bool odbc = odbcName != kAbsent || odbcPath != kAbsent ||
                      config.ReadString(section, "odbccharacterset", kAbsent) != kAbsent ||
                      config.ReadString(section, "odbcrole", kAbsent) != kAbsent;
    programs.SetField("odbcCharacterset",
                      odbc ? config.ReadString(section, "odbccharacterset", "ISO8859_1") : "");
    programs.SetField("odbcRole", odbc ? config.ReadString(section, "odbcrole", "3") : "");
    programs.SetField("trustedlocation", config.ReadInteger(section, "trustedlocation", 0));
    programs.SetField("refreshsize", config.ReadInteger(section, "refreshsize", 0));
    programs.SetField("accessexe", config.ReadString(section, "accessexe", ""));
    programs.SetField("accessargs", config.ReadString(section, "accessargs", ""));
    programs.SetField("pruefsumme", config.ReadString(section, "pruefsumme", ""));
    programs.SetField("groesse", config.ReadString(section, "groesse", ""));
    programs.SetField("gesperrt", config.ReadString(section, "gesperrt", ""));
    programs.SetField("signatur", config.ReadString(section, "signatur", ""));
    programs.SetField("vorab", config.ReadString(section, "vorab", ""));
    programs.SetField("vorabversion", config.ReadInteger(section, "vorabversion", 0));
    for (const char* key : {"vorabpruefsumme", "vorabgroesse", "vorabsignatur"})
        programs.SetField(key, config.ReadString(section, key, ""));
    programs.Post();
}

bool NamesDataSource(const ProgramList& programs) {
    return std::any_of(kDataSourceKeys.begin(), kDataSourceKeys.end(),
                       [&](auto key) { return !programs.FieldAsString(std::string(key)).empty(); });
}

std::vector<std::string> MissingRequiredKeys(const ProgramList& programs) {
    std::vector<std::string> missing;
    for (const char* key : {"odbcname", "mdbname", "displayname"})
        if (programs.FieldAsString(key).empty() &&
            (key != std::string_view("odbcname") || NamesDataSource(programs)))
            missing.push_back(key);
    return missing;
}

std::string ListedKeys(const std::vector<std::string>& keys) {
    std::string out;
    for (const std::string& key : keys)
        out += (out.empty() ? "" : ", ") + key;
    return out;
}

std::vector<std::string>
LoadProgramEntries(const std::vector<std::string>& sections,
                   const std::function<void(const std::string& section)>& read) {
    std::vector<std::string> entries;
    for (const std::string& section : sections) {
        if (asciiUpper(section) == "SETUP")
            continue;
        read(section);
        entries.push_back(section);
    }
    return entries;
}

} // namespace vorlund

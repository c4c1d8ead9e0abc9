#include "config/IniFile.h"

#include "config/IntParse.h"
#include "win/Unicode.h"

namespace vorlund {

const ProfileText& IniFile::text() const {
    if (!text_) // a file that is missing or held without sharing reads as empty
        text_.emplace(win::ReadWholeFile(path_).value_or(""));
    return *text_;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    return text().Value(section, key, fallback, kValueBuffer);
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t fallback) const {
    return readIntOrDefault(ReadString(section, key, ""), fallback);
}

void IniFile::ReadSections(std::vector<std::string>& names) const {
    names = text().SectionNames(kSectionBuffer);
}

} // namespace vorlund

#include "config/IniFile.h"

#include "config/IntParse.h"
#include "win/CodePage.h"
#include "win/Unicode.h"

namespace vorlund {

const IniFile::Loaded& IniFile::loaded() const {
    if (!loaded_) { // a file that is missing or held without sharing reads as empty
        const DecodedProfile decoded =
            DecodeProfile(win::ReadWholeFile(path_).value_or(""), win::DecodeCodePage);
        loaded_.emplace(Loaded{ProfileText(decoded.text), decoded.encoding});
    }
    return *loaded_;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    return loaded().text.Value(section, key, fallback, ProfileText::kUnlimited);
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t fallback) const {
    return readIntOrDefault(ReadString(section, key, ""), fallback);
}

void IniFile::ReadSections(std::vector<std::string>& names) const {
    names = loaded().text.SectionNames(ProfileText::kUnlimited);
}

const ProfileEncoding& IniFile::Encoding() const {
    return loaded().encoding;
}

} // namespace vorlund

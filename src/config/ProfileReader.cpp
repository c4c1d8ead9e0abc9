#include "config/ProfileReader.h"

#include "config/IntParse.h"

namespace vorlund {

ProfileReader::Loaded ProfileReader::Load(std::string_view bytes,
                                          const CodePageDecoder& decodeCodePage) {
    const DecodedProfile decoded = DecodeProfile(bytes, decodeCodePage);
    return Loaded{ProfileText(decoded.text), decoded.encoding};
}

std::string ProfileReader::ReadString(const std::string& section, const std::string& key,
                                      const std::string& fallback) const {
    return loaded().text.Value(section, key, fallback, ProfileText::kUnlimited);
}

int32_t ProfileReader::ReadInteger(const std::string& section, const std::string& key,
                                   int32_t fallback) const {
    return readIntOrDefault(ReadString(section, key, ""), fallback);
}

void ProfileReader::ReadSections(std::vector<std::string>& names) const {
    names = loaded().text.SectionNames(ProfileText::kUnlimited);
}

const ProfileEncoding& ProfileReader::Encoding() const {
    return loaded().encoding;
}

const ProfileText& ProfileReader::Text() const {
    return loaded().text;
}

} // namespace vorlund

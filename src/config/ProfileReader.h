#pragma once
// The configuration reader's three questions (a value, an integer, the
// section names), answered from the decoded text with the profile
// functions' rules. Where the bytes come from is the subclass's: the
// configuration file for the programs, memory for the tests.
#include "config/ProfileDecoding.h"
#include "config/ProfileText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

class ProfileReader {
  public:
    virtual ~ProfileReader() = default;

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
    // Clears the list, then appends the section names in file order.
    void ReadSections(std::vector<std::string>& names) const;
    // How the text was decoded.
    const ProfileEncoding& Encoding() const;
    // The parsed text itself, for a closer look at what it holds.
    const ProfileText& Text() const;

  protected:
    struct Loaded {
        ProfileText text;
        ProfileEncoding encoding;
    };
    static Loaded Load(std::string_view bytes, const CodePageDecoder& decodeCodePage);
    virtual const Loaded& loaded() const = 0;
};

// A configuration already in memory, decoded at once.
class ProfileBytes : public ProfileReader {
  public:
    ProfileBytes(std::string_view bytes, const CodePageDecoder& decodeCodePage)
        : loaded_(Load(bytes, decodeCodePage)) {}

  private:
    const Loaded& loaded() const override { return loaded_; }
    Loaded loaded_;
};

} // namespace vorlund

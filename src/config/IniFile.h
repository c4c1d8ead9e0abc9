#pragma once
// The configuration file reader. The file is read and decoded once, at the
// first question, and answered from memory after that; nothing is held open.
// Every section and every value comes whole: no buffer cuts them.
#include "config/ProfileDecoding.h"
#include "config/ProfileText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlund {

class IniFile {
  public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& FileName() const { return path_; }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
    // Clears the list, then appends the section names in file order.
    void ReadSections(std::vector<std::string>& names) const;
    // How the file was decoded.
    const ProfileEncoding& Encoding() const;

  private:
    struct Loaded {
        ProfileText text;
        ProfileEncoding encoding;
    };
    const Loaded& loaded() const;

    std::string path_;
    mutable std::optional<Loaded> loaded_;
};

} // namespace vorlund

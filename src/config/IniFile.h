#pragma once
// The configuration file reader. The file is read once, at the first
// question, and answered from memory after that; nothing is held open.
#include "config/ProfileText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlund {

class IniFile {
  public:
    static constexpr unsigned kValueBuffer = 2048;
    static constexpr unsigned kSectionBuffer = 16384;

    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& FileName() const { return path_; }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
    // Clears the list, then appends the section names in file order.
    void ReadSections(std::vector<std::string>& names) const;

  private:
    const ProfileText& text() const;

    std::string path_;
    mutable std::optional<ProfileText> text_;
};

} // namespace vorlund

#pragma once
// The configuration file reader. The file is read and decoded once, at the
// first question, and answered from memory after that; nothing is held open.
// Every section and every value comes whole: no buffer cuts them.
#include "config/ProfileReader.h"

#include <optional>
#include <string>

namespace vorlund {

// How long the launcher looks again for a configuration that is missing: a
// publish restoring it, an administrator putting it back; longer than
// Windows' SMB client remembers a name it did not find (5 s by default).
inline constexpr unsigned kMissingConfigurationPatience = 6000;

class IniFile : public ProfileReader {
  public:
    // A missing file is looked for again for `patience` milliseconds before
    // it reads as empty.
    explicit IniFile(std::string path, unsigned patience = 0)
        : path_(std::move(path)), patience_(patience) {}

    const std::string& FileName() const { return path_; }

  private:
    const Loaded& loaded() const override;

    std::string path_;
    unsigned patience_;
    mutable std::optional<Loaded> loaded_;
};

} // namespace vorlund

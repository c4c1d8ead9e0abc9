#pragma once
// The configuration file reader. The file is read and decoded once, at the
// first question, and answered from memory after that; nothing is held open.
// Every section and every value comes whole: no buffer cuts them.
#include "config/ProfileReader.h"

#include <optional>
#include <string>

namespace vorlund {

class IniFile : public ProfileReader {
  public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& FileName() const { return path_; }

  private:
    const Loaded& loaded() const override;

    std::string path_;
    mutable std::optional<Loaded> loaded_;
};

} // namespace vorlund

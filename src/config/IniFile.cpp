#include "config/IniFile.h"

#include "win/CodePage.h"
#include "win/Unicode.h"

namespace vorlund {

const IniFile::Loaded& IniFile::loaded() const {
    if (!loaded_) // a file that is missing or held without sharing reads as empty
        loaded_.emplace(Load(win::ReadWholeFile(path_).value_or(""), win::DecodeCodePage));
    return *loaded_;
}

} // namespace vorlund

#include "config/IniFile.h"

#include "win/CodePage.h"
#include "win/Paths.h"
#include "win/Unicode.h"

#include <windows.h>

namespace vorlund {
namespace {

// A configuration put back by hand, or restored after a refused replace,
// is missing for a moment: it is looked for again before it counts as
// missing. One held without sharing reads as missing at once.
std::optional<std::string> readAppearing(const std::string& path, unsigned patience) {
    constexpr DWORD kLookAgain = 100;
    for (DWORD waited = 0;; waited += kLookAgain) {
        std::optional<std::string> bytes = win::ReadWholeFile(path);
        if (bytes || win::IsFile(path) || win::IsDirectory(path) || waited >= patience)
            return bytes;
        Sleep(kLookAgain);
    }
}

} // namespace

const IniFile::Loaded& IniFile::loaded() const {
    if (!loaded_) // a file that is missing or held without sharing reads as empty
        loaded_.emplace(Load(readAppearing(path_, patience_).value_or(""), win::DecodeCodePage));
    return *loaded_;
}

} // namespace vorlund

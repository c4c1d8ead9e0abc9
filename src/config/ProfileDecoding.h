#pragma once
// How the configuration file's bytes become the program's UTF-8 text. A
// byte-order mark (UTF-8, UTF-16 LE or BE) decides alone. Without one, the
// code page that `codepage=` in [SETUP] names decides, found in the raw
// bytes (the file's structure is ASCII in every such code page). Without
// that, a file that is well-formed UTF-8 and holds a byte above 127 is
// UTF-8 (Notepad's default): real text in Windows-1252 practically never is,
// since an umlaut followed by a letter is no UTF-8 sequence. Anything else
// is Windows-1252, which the launcher has always read.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorlund {

struct ProfileEncoding {
    enum Kind { Utf8Mark, Utf16LeMark, Utf16BeMark, CodePage, Utf8Detected };
    Kind kind = CodePage;
    unsigned codePage = 1252; // the one decoded with, for CodePage
    int32_t requested = 0;    // `codepage=` as read; 0 when absent
    bool Unknown() const { return requested != 0 && static_cast<int64_t>(codePage) != requested; }
};

struct DecodedProfile {
    std::string text; // UTF-8
    ProfileEncoding encoding;
};

// Decodes the bytes in a code page other than 1252 and 65001 into UTF-8, or
// gives nothing for a code page Windows does not know.
using CodePageDecoder =
    std::function<std::optional<std::string>(unsigned codePage, std::string_view bytes)>;

DecodedProfile DecodeProfile(std::string_view bytes, const CodePageDecoder& decodeCodePage);

} // namespace vorlund

#pragma once
// Signs that a configuration file was not saved as Windows-1252 text: the
// launcher reads every byte as one Windows-1252 character.
#include <string_view>
#include <vector>

namespace vorlund::check {

struct EncodingFindings {
    bool utf16 = false;
    bool utf8Bom = false;
    std::vector<int> utf8Lines; // 1-based lines with UTF-8 sequences
    bool Clean() const { return !utf16 && !utf8Bom && utf8Lines.empty(); }
};

EncodingFindings ExamineEncoding(std::string_view bytes);

} // namespace vorlund::check

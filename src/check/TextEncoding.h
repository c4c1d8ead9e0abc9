#pragma once
// Signs that a configuration file without a byte-order mark was not saved in
// an ANSI code page: the launcher decodes such a file as Windows-1252 (or the
// code page of `codepage=`), while a UTF-8 or UTF-16 file with its mark
// decodes exactly.
#include <string_view>
#include <vector>

namespace vorlund::check {

struct EncodingFindings {
    bool marked = false;        // UTF-8 or UTF-16 with its mark: read right
    bool utf16 = false;         // UTF-16 without a mark
    std::vector<int> utf8Lines; // 1-based lines with UTF-8 sequences, without a mark
    bool Clean() const { return !utf16 && utf8Lines.empty(); }
};

EncodingFindings ExamineEncoding(std::string_view bytes);

} // namespace vorlund::check

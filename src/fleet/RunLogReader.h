#pragma once
// Reads one run log piece by piece, however the pieces fall, holding no
// more than one line: UTF-8 as the launcher writes it, or UTF-16 with its
// mark as a spreadsheet saves it back. Every run line goes to the callback;
// the header, damaged and foreign lines, and lines past any sane length
// are passed over.
#include "prepare/RunLog.h"

#include <functional>
#include <string>
#include <string_view>

namespace vorlund::fleet {

class RunLogReader {
  public:
    explicit RunLogReader(std::function<void(const RunRecord&)> onRun) : onRun_(std::move(onRun)) {}

    void Feed(std::string_view bytes);
    // The last line, also without its line end.
    void Finish();

  private:
    enum class Encoding { Undecided, Utf8, Utf16Le, Utf16Be };
    void decide(std::string_view& bytes);
    void feedUtf16(std::string_view bytes);
    void feedText(std::string_view text);
    void append(std::string_view piece);
    void endLine();

    std::function<void(const RunRecord&)> onRun_;
    Encoding encoding_ = Encoding::Undecided;
    std::string head_;    // the first bytes, until they tell the encoding
    std::string oddByte_; // half a UTF-16 unit
    char16_t highSurrogate_ = 0;
    std::string pending_;   // the current line
    bool overlong_ = false; // the current line is past any sane length
};

} // namespace vorlund::fleet

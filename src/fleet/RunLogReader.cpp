#include "fleet/RunLogReader.h"

#include "base/Utf8.h"

#include <algorithm>
#include <utility>

namespace vorlund::fleet {
namespace {

constexpr size_t kLongestLine = 64 * 1024;

bool isHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

} // namespace

void RunLogReader::Feed(std::string_view bytes) {
    if (encoding_ == Encoding::Undecided)
        decide(bytes);
    if (encoding_ == Encoding::Utf8)
        feedText(bytes);
    else if (encoding_ != Encoding::Undecided)
        feedUtf16(bytes);
}

// The first bytes tell a UTF-16 mark, and a UTF-8 one, which goes, from
// anything else.
void RunLogReader::decide(std::string_view& bytes) {
    while (!bytes.empty() && head_.size() < (head_.starts_with('\xEF') ? 3u : 2u)) {
        head_ += bytes.front();
        bytes.remove_prefix(1);
    }
    if (head_.size() < (head_.starts_with('\xEF') ? 3u : 2u))
        return;
    if (head_ == "\xFF\xFE" || head_ == "\xFE\xFF") {
        encoding_ = head_[0] == '\xFF' ? Encoding::Utf16Le : Encoding::Utf16Be;
        return;
    }
    encoding_ = Encoding::Utf8;
    feedText(head_ == "\xEF\xBB\xBF" ? std::string_view() : std::string_view(head_));
}

void RunLogReader::feedUtf16(std::string_view bytes) {
    std::u16string units;
    std::string pair = oddByte_;
    size_t at = 0;
    if (!pair.empty() && !bytes.empty()) {
        pair += bytes[0];
        at = 1;
    }
    const auto unit = [&](char a, char b) {
        const auto x = static_cast<unsigned char>(a), y = static_cast<unsigned char>(b);
        return static_cast<char16_t>(encoding_ == Encoding::Utf16Le ? (y << 8) | x : (x << 8) | y);
    };
    if (pair.size() == 2)
        units += unit(pair[0], pair[1]);
    for (; at + 1 < bytes.size(); at += 2)
        units += unit(bytes[at], bytes[at + 1]);
    oddByte_ = pair.size() == 1 ? pair : at < bytes.size() ? std::string(1, bytes[at]) : "";
    // A pair split between two pieces is joined again; a lone half is U+FFFD.
    std::u16string whole;
    if (highSurrogate_)
        whole += std::exchange(highSurrogate_, 0);
    whole += units;
    if (!whole.empty() && isHigh(whole.back())) {
        highSurrogate_ = whole.back();
        whole.pop_back();
    }
    feedText(utf16ToUtf8(whole));
}

void RunLogReader::feedText(std::string_view text) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        append(text.substr(0, end));
        if (end == std::string_view::npos)
            return;
        endLine();
        text.remove_prefix(end + 1);
    }
}

void RunLogReader::Finish() {
    if (encoding_ == Encoding::Undecided) {
        encoding_ = Encoding::Utf8;
        feedText(head_);
    } else if (encoding_ != Encoding::Utf8 && (highSurrogate_ || !oddByte_.empty())) {
        highSurrogate_ = 0;
        oddByte_.clear();
        feedText("\uFFFD");
    }
    endLine();
}

void RunLogReader::append(std::string_view piece) {
    if (overlong_)
        return;
    if (pending_.size() + piece.size() > kLongestLine) {
        overlong_ = true; // no run line is that long: skip to its end
        pending_.clear();
        return;
    }
    pending_ += piece;
}

void RunLogReader::endLine() {
    std::string_view line = pending_;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (!overlong_)
        if (const std::optional<RunRecord> run = ParseRunLine(line))
            onRun_(*run);
    pending_.clear();
    overlong_ = false;
}

} // namespace vorlund::fleet

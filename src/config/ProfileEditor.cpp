#include "config/ProfileEditor.h"

#include "base/Cp1252.h"
#include "base/Utf8.h"
#include "config/ProfileText.h"

#include <initializer_list>

namespace vorlund {
namespace {

constexpr char16_t CR = u'\r', LF = u'\n';

bool isLineEnd(char16_t u) {
    return u == CR || u == LF;
}

// Blanks as the profile functions see them; ^Z is one too.
bool isBlank(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::u16string widened(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size());
    for (char c : bytes)
        units += static_cast<char16_t>(static_cast<unsigned char>(c));
    return units;
}

std::string narrowed(std::u16string_view units) {
    std::string bytes;
    bytes.reserve(units.size());
    for (char16_t u : units)
        bytes += static_cast<char>(u & 0xFF);
    return bytes;
}

// The first line end of a run: CRLF, or one CR or LF.
size_t firstEnd(std::u16string_view run) {
    return run.size() > 1 && run[0] == CR && run[1] == LF ? 2 : run.empty() ? 0 : 1;
}

} // namespace

ProfileDocument::ProfileDocument(std::string_view bytes, const CodePageDecoder& decode,
                                 const CodePageEncoder& encode)
    : encoding_(DecodeProfile(bytes, decode).encoding), decode_(decode), encode_(encode) {
    std::u16string units;
    switch (encoding_.kind) {
    case ProfileEncoding::Utf16LeMark:
    case ProfileEncoding::Utf16BeMark:
        utf16_ = true;
        bigEndian_ = encoding_.kind == ProfileEncoding::Utf16BeMark;
        mark_ = bytes.substr(0, 2);
        bytes.remove_prefix(2);
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            units += static_cast<char16_t>(bigEndian_ ? (a << 8) | b : (b << 8) | a);
        }
        if (bytes.size() % 2 != 0)
            oddByte_.assign(1, bytes.back());
        break;
    case ProfileEncoding::Utf8Mark:
        mark_ = bytes.substr(0, 3);
        units = widened(bytes.substr(3));
        break;
    default:
        units = widened(bytes);
    }
    for (size_t at = 0; at < units.size();) {
        size_t end = at;
        while (end < units.size() && !isLineEnd(units[end]))
            ++end;
        size_t next = end;
        while (next < units.size() && isLineEnd(units[next]))
            ++next;
        lines_.push_back({units.substr(at, end - at), units.substr(end, next - end)});
        at = next;
    }
}

std::string ProfileDocument::decoded(const std::u16string& units) const {
    if (utf16_)
        return utf16ToUtf8(units);
    const std::string bytes = narrowed(units);
    if (encoding_.kind != ProfileEncoding::CodePage || encoding_.codePage == 65001)
        return bytes;
    if (encoding_.codePage != 1252 && decode_)
        if (std::optional<std::string> text = decode_(encoding_.codePage, bytes))
            return *text;
    return cp1252ToUtf8(bytes);
}

std::optional<std::u16string> ProfileDocument::encoded(std::string_view text) const {
    if (wellFormedUtf8(text) != text)
        return std::nullopt;
    if (utf16_)
        return utf8ToUtf16(text);
    std::optional<std::string> bytes;
    if (encoding_.kind != ProfileEncoding::CodePage || encoding_.codePage == 65001)
        bytes = std::string(text);
    else if (encoding_.codePage == 1252)
        bytes = utf8ToCp1252(text);
    else if (encode_)
        bytes = encode_(encoding_.codePage, text);
    // What cannot be read back as written is not written.
    if (!bytes || decoded(widened(*bytes)) != text)
        return std::nullopt;
    return widened(*bytes);
}

ProfileDocument::Parsed ProfileDocument::parse(const Line& line) const {
    const std::string text = decoded(line.text);
    const std::string_view content = trimmed(text);
    Parsed p;
    if (content.empty())
        return p;
    const size_t close = content.rfind(']');
    if (content.front() == '[' && close != std::string_view::npos) {
        p.kind = Parsed::Header;
        p.name = FoldedProfileName(trimmed(content.substr(1, close - 1)));
    } else if (content.front() == ';') {
        p.kind = Parsed::Comment;
    } else {
        p.kind = Parsed::Key;
        p.name = FoldedProfileName(trimmed(content.substr(0, content.find('='))));
    }
    return p;
}

std::optional<std::pair<size_t, size_t>>
ProfileDocument::sectionRange(std::string_view section) const {
    const std::string wanted = FoldedProfileName(trimmed(section));
    std::optional<size_t> header;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Parsed p = parse(lines_[i]);
        if (p.kind != Parsed::Header)
            continue;
        if (header)
            return std::pair{*header, i};
        if (!wanted.empty() && p.name == wanted)
            header = i;
    }
    if (header)
        return std::pair{*header, lines_.size()};
    return std::nullopt;
}

bool ProfileDocument::HasSection(std::string_view section) const {
    return sectionRange(section).has_value();
}

std::u16string ProfileDocument::defaultEnd() const {
    for (const Line& line : lines_)
        if (!line.end.empty())
            return line.end.substr(0, firstEnd(line.end));
    return u"\r\n";
}

// The new line goes between the line and its first line end; blank lines
// after it stay after the new one.
void ProfileDocument::insertAfter(size_t at, std::u16string text) {
    Line& before = lines_[at];
    Line added{std::move(text), {}};
    if (before.end.empty()) {
        before.end = defaultEnd(); // the file's last line: it keeps no line end
    } else {
        const size_t first = firstEnd(before.end);
        added.end = before.end;
        before.end.resize(first);
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at) + 1, std::move(added));
}

bool ProfileDocument::setLine(std::string_view section, std::string_view key,
                              std::string_view value) {
    const bool quoted = value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos || quoted ||
        trimmed(value).size() != value.size())
        return false;
    const std::optional<std::u16string> units = encoded(value), name = encoded(key);
    const std::optional<std::pair<size_t, size_t>> range = sectionRange(section);
    if (!units || !name || !range || !oddByte_.empty())
        return false; // half a UTF-16 unit at the end: a damaged file, read as U+FFFD
    const std::string wanted = FoldedProfileName(key);
    size_t lastKey = range->first;
    for (size_t i = range->first + 1; i < range->second; ++i) {
        const Parsed p = parse(lines_[i]);
        if (p.kind != Parsed::Key)
            continue;
        lastKey = i;
        if (p.name != wanted)
            continue;
        // The first line of the key: its value where it stands, quotes kept.
        std::u16string& text = lines_[i].text;
        const size_t equals = text.find(u'=');
        if (equals == std::u16string::npos) {
            text.push_back(u'=');
            text.append(*units);
            return true;
        }
        size_t start = equals + 1, end = text.size();
        while (start < end && isBlank(text[start]))
            ++start;
        while (end > start && isBlank(text[end - 1]))
            --end;
        const std::u16string old = text.substr(start, end - start);
        const bool wasQuoted =
            old.size() > 1 && (old[0] == u'"' || old[0] == u'\'') && old.back() == old[0];
        std::u16string replacement = *units;
        if (wasQuoted) {
            replacement.insert(replacement.begin(), old.front());
            replacement.push_back(old.front());
        }
        text = text.substr(0, start) + replacement + text.substr(end);
        return true;
    }
    std::u16string line = *name;
    line.push_back(u'=');
    line.append(*units);
    insertAfter(lastKey, std::move(line));
    return true;
}

bool ProfileDocument::removeLines(std::string_view section, std::string_view key) {
    const std::optional<std::pair<size_t, size_t>> range = sectionRange(section);
    if (!range || !oddByte_.empty())
        return false;
    const std::string wanted = FoldedProfileName(key);
    bool removed = false;
    for (size_t i = range->second; i-- > range->first + 1;) {
        const Parsed p = parse(lines_[i]);
        if (p.kind != Parsed::Key || p.name != wanted)
            continue;
        // Its line end goes with it; blank lines after it stay.
        const std::u16string rest = lines_[i].end.substr(firstEnd(lines_[i].end));
        lines_[i - 1].end += rest;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        removed = true;
    }
    return removed;
}

// An edit that would make the reader decode the file otherwise (the last
// byte that kept it from being UTF-8 taken out) would change every other
// line's meaning: it is undone.
bool ProfileDocument::keepsEncoding(std::vector<Line> before) {
    const ProfileEncoding now = DecodeProfile(Bytes(), decode_).encoding;
    if (now.kind == encoding_.kind && now.codePage == encoding_.codePage)
        return true;
    lines_ = std::move(before);
    return false;
}

bool ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::vector<Line> before = lines_;
    return setLine(section, key, value) && keepsEncoding(std::move(before));
}

bool ProfileDocument::Remove(std::string_view section, std::string_view key) {
    std::vector<Line> before = lines_;
    return removeLines(section, key) && keepsEncoding(std::move(before));
}

std::string ProfileDocument::Bytes() const {
    std::string out = mark_;
    for (const Line& line : lines_)
        for (const std::u16string* part : {&line.text, &line.end}) {
            if (!utf16_) {
                out += narrowed(*part);
                continue;
            }
            for (char16_t u : *part) {
                const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
                out += bigEndian_ ? std::string{high, low} : std::string{low, high};
            }
        }
    return out + oddByte_;
}

} // namespace vorlund

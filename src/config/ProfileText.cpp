#include "config/ProfileText.h"

#include "base/AsciiText.h"

namespace vorlund {
namespace {

// Blanks as the profile functions see them; ^Z (DOS end of file) is one too.
bool isBlank(char c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// What the profile functions store ends at a zero byte.
std::string_view upToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// A value with matching quotes loses them, unless the buffer cut off the
// closing one; the buffer takes buffer - 1 characters.
std::string copyEntry(std::string_view value, size_t buffer) {
    const bool quoted = value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (quoted)
        value.remove_prefix(1);
    std::string out(value.substr(0, buffer > 0 ? buffer - 1 : 0));
    if (quoted && buffer >= value.size() && !out.empty())
        out.pop_back();
    return out;
}

// The fallback loses its trailing spaces, all but a first one.
std::string_view withoutTrailingSpaces(std::string_view text) {
    while (text.size() > 1 && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

// Names compare without regard to case in the letters A to Z only, as the
// profile functions compare them: an upper-case umlaut is not its lower-case one.
std::string FoldedProfileName(std::string_view name) {
    return asciiLower(upToZero(name));
}

ProfileText::ProfileText(std::string_view text) {
    parse(text);
}

ProfileText::ProfileText(std::string_view text, std::string_view only)
    : only_(FoldedProfileName(only)) {
    parse(text);
}

void ProfileText::parse(std::string_view text) {
    std::string_view rest = text;
    size_t number = 1;
    while (!rest.empty()) {
        const size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
        parseLine(rest.substr(0, end), number);
        rest.remove_prefix(end);
        // A run of line ends is one to the profile functions; an editor
        // counts CRLF, CR and LF as one line each.
        while (!rest.empty() && (rest.front() == '\r' || rest.front() == '\n')) {
            const bool crlf = rest.size() > 1 && rest[0] == '\r' && rest[1] == '\n';
            rest.remove_prefix(crlf ? 2 : 1);
            ++number;
        }
    }
    for (size_t i = 0; i < sections_.size(); ++i) {
        const size_t end = i + 1 < sections_.size() ? sections_[i + 1].firstKey : keys_.size();
        sections_[i].keys =
            std::span<const Key>(keys_).subspan(sections_[i].firstKey, end - sections_[i].firstKey);
    }
}

void ProfileText::parseLine(std::string_view line, size_t number) {
    line = trimmed(line);
    if (line.empty())
        return;
    const size_t close = line.rfind(']');
    if (line.front() == '[' && close != std::string_view::npos) {
        const std::string_view name = upToZero(trimmed(line.substr(1, close - 1)));
        sections_.push_back({std::string(name), FoldedProfileName(name), {}, number, keys_.size()});
        if (!name.empty())
            firstSection_.emplace(sections_.back().folded, sections_.size() - 1);
        return;
    }
    if (sections_.empty())
        return; // keys before the first section belong to no name we look up
    if (!only_.empty() && sections_.back().folded != only_)
        return;
    Key key;
    key.line = number;
    const size_t equals = line.find('=');
    key.written = std::string(upToZero(trimmed(line.substr(0, equals))));
    key.name = FoldedProfileName(key.written);
    if (equals != std::string_view::npos) {
        key.value = upToZero(trimmed(line.substr(equals + 1)));
        key.hasValue = true;
    }
    if (!key.name.empty())
        keys_.push_back(std::move(key));
}

const ProfileText::Key* ProfileText::find(std::string_view section, std::string_view key) const {
    const std::string wantedSection = FoldedProfileName(trimmed(section));
    const std::string wantedKey = FoldedProfileName(trimmed(key));
    const auto first = firstSection_.find(wantedSection);
    if (first == firstSection_.end())
        return nullptr;
    for (const Key& k : sections_[first->second].keys)
        if (k.name == wantedKey)
            return &k;
    return nullptr;
}

std::string ProfileText::Value(std::string_view section, std::string_view key,
                               std::string_view fallback, size_t buffer) const {
    const Key* found = find(section, key);
    return copyEntry(found && found->hasValue ? std::string_view(found->value)
                                              : withoutTrailingSpaces(fallback),
                     buffer);
}

std::vector<std::string> ProfileText::SectionNames(size_t buffer) const {
    std::vector<std::string> names;
    size_t room = buffer > 0 ? buffer - 1 : 0; // the list's closing zero byte
    for (const Section& s : sections_) {
        if (s.name.empty())
            continue;
        if (s.name.size() + 1 >= room) {
            if (room > 1)
                names.push_back(s.name.substr(0, room - 1));
            break;
        }
        names.push_back(s.name);
        room -= s.name.size() + 1;
    }
    return names;
}

} // namespace vorlund

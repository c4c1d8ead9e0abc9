#pragma once
// A configuration file changed like a document. Every line stays as it is,
// byte for byte, in the file's own encoding and line ends: an edit replaces
// the value of one key where it stands, adds a missing key after the
// section's last key line, or takes a key's lines out. The reader's rules
// decide which line an edit touches: names compared in the letters A to Z
// without regard to case, the first of two equal sections, the first of two
// equal keys.
#include "config/ProfileDecoding.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

// UTF-8 text in one of Windows' ANSI code pages, or nothing when the code
// page cannot hold every character of it.
using CodePageEncoder =
    std::function<std::optional<std::string>(unsigned codePage, std::string_view utf8)>;

class ProfileDocument {
  public:
    ProfileDocument(std::string_view bytes, const CodePageDecoder& decode,
                    const CodePageEncoder& encode);

    // How the file is encoded, by the reader's own rules; edits keep it.
    const ProfileEncoding& Encoding() const { return encoding_; }
    bool HasSection(std::string_view section) const;
    // key=value in the section the reader reads under that name. False, with
    // nothing changed, when there is no such section, or when the reader
    // would not read the value back as given: a line break, a zero, blanks
    // or quotes around it, or a character the file's encoding lacks; and in
    // a UTF-16 file cut in the middle of a unit; or when the file would then
    // be decoded otherwise.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    // Takes every line of the key out of that section; false when there was none.
    bool Remove(std::string_view section, std::string_view key);

    std::string Bytes() const;

  private:
    // A line of code units (bytes, or UTF-16 units) and the run of line ends
    // after it.
    struct Line {
        std::u16string text;
        std::u16string end;
    };
    struct Parsed {
        enum Kind { Blank, Header, Key, Comment } kind = Blank;
        std::string name; // folded: a section's or a key's
    };

    bool setLine(std::string_view section, std::string_view key, std::string_view value);
    bool removeLines(std::string_view section, std::string_view key);
    bool keepsEncoding(std::vector<Line> before);
    Parsed parse(const Line& line) const;
    std::string decoded(const std::u16string& units) const;
    std::optional<std::u16string> encoded(std::string_view text) const;
    // The lines of the section the reader reads: [first, last).
    std::optional<std::pair<size_t, size_t>> sectionRange(std::string_view section) const;
    void insertAfter(size_t at, std::u16string text);
    std::u16string defaultEnd() const;

    ProfileEncoding encoding_;
    bool utf16_ = false, bigEndian_ = false;
    std::string mark_, oddByte_;
    std::vector<Line> lines_;
    CodePageDecoder decode_;
    CodePageEncoder encode_;
};

} // namespace vorlund

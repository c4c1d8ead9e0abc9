// The configuration changed like a document: what an edit does not touch
// stays byte for byte, in every encoding the reader knows.
#include "base/Utf8.h"
#include "config/ProfileEditor.h"
#include "config/ProfileText.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace std::string_literals;

namespace {

// 1250 stood in for: "ř" is 0xF8 both ways; anything else it lacks.
std::optional<std::string> decode1250(unsigned, std::string_view bytes) {
    std::string out;
    for (char c : bytes)
        out += c == '\xF8' ? std::string("ř") : std::string(1, c);
    return out;
}
std::optional<std::string> encode1250(unsigned, std::string_view utf8) {
    std::string out;
    for (size_t at = 0; at < utf8.size();) {
        const char32_t c = nextCodePoint(utf8, at);
        if (c == U'ř')
            out += '\xF8';
        else if (c < 0x80)
            out += static_cast<char>(c);
        else
            return std::nullopt;
    }
    return out;
}

std::string utf16le(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (char16_t u : utf8ToUtf16(utf8))
        out += std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return out;
}

struct Edit {
    std::string section, key, value; // an empty key: remove `value`
};

std::string edited(const std::string& bytes, const std::vector<Edit>& edits) {
    ProfileDocument doc(bytes, decode1250, encode1250);
    for (const Edit& e : edits)
        if (!(e.key.empty() ? doc.Remove(e.section, e.value) : doc.Set(e.section, e.key, e.value)))
            return "<refused>";
    return doc.Bytes();
}

} // namespace

TEST(ProfileEditor, EachEditTouchesTheLineTheReaderReadsAndNothingElse) {
    const std::string lager =
        "; Kommentar\r\n[SETUP]\r\nlogdir=x\r\n\r\n[Lager]\r\n"
        "Version = 12 \r\nmdbname=lager.mdb\r\n\r\n; zuletzt\r\n\r\n[Kasse]\r\n";
    const struct {
        const char* name;
        std::string bytes;
        std::vector<Edit> edits;
        std::string expected;
    } cases[] = {
        {"present, spacing kept",
         lager,
         {{"LAGER", "version", "13"}},
         "; Kommentar\r\n[SETUP]\r\nlogdir=x\r\n\r\n[Lager]\r\nVersion = 13 "
         "\r\nmdbname=lager.mdb\r\n"
         "\r\n; zuletzt\r\n\r\n[Kasse]\r\n"},
        {"absent: after the last key line",
         lager,
         {{"lager", "groesse", "100"}},
         "; Kommentar\r\n[SETUP]\r\nlogdir=x\r\n\r\n[Lager]\r\nVersion = 12 "
         "\r\nmdbname=lager.mdb\r\n"
         "groesse=100\r\n\r\n; zuletzt\r\n\r\n[Kasse]\r\n"},
        {"duplicate key: the first", "[A]\nk=1\nk=2\n", {{"A", "k", "3"}}, "[A]\nk=3\nk=2\n"},
        {"duplicate section: the first",
         "[A]\r\nk=1\r\n[a]\r\nk=2\r\n",
         {{"a", "x", "9"}},
         "[A]\r\nk=1\r\nx=9\r\n[a]\r\nk=2\r\n"},
        {"quoted value keeps its quotes",
         "[A]\r\ng=\"alt\"\r\n",
         {{"A", "g", "neu"}},
         "[A]\r\ng=\"neu\"\r\n"},
        {"last section without a final line end",
         "[A]\r\nk=1",
         {{"A", "n", "2"}},
         "[A]\r\nk=1\r\nn=2"},
        {"a header alone", "[A]", {{"A", "n", "2"}}, "[A]\r\nn=2"},
        {"LF and CR line ends",
         "[A]\nk=1\n[B]\rx=1\r",
         {{"B", "y", "2"}, {"A", "z", "3"}},
         "[A]\nk=1\nz=3\n[B]\rx=1\ry=2\r"},
        {"remove every line of the key",
         "[A]\r\ng=1\r\nk=2\r\nG=3\r\n\r\n[B]\r\ng=4\r\n",
         {{"A", "", "g"}},
         "[A]\r\nk=2\r\n\r\n[B]\r\ng=4\r\n"},
        {"utf-8 mark",
         "\xEF\xBB\xBF[Bär]\r\nk=1\r\n",
         {{"Bär", "gesperrt", "Wartung für Bär"}},
         "\xEF\xBB\xBF[Bär]\r\nk=1\r\ngesperrt=Wartung für Bär\r\n"},
        {"utf-8 without mark", "[Bär]\r\nk=1\r\n", {{"Bär", "k", "ö"}}, "[Bär]\r\nk=ö\r\n"},
        {"windows-1252",
         "[B\xE4r]\r\nk=1\r\n",
         {{"Bär", "k", "Müller"}},
         "[B\xE4r]\r\nk=M\xFCller\r\n"},
        {"a code page",
         "[SETUP]\r\ncodepage=1250\r\n[Dvo\xF8]\r\n",
         {{"Dvoř", "k", "ř"}},
         "[SETUP]\r\ncodepage=1250\r\n[Dvo\xF8]\r\nk=\xF8\r\n"},
        {"utf-16",
         utf16le("[Склад]\r\nk=1\r\n"),
         {{"Склад", "k", "Ж"}},
         utf16le("[Склад]\r\nk=Ж\r\n")},
        // What the reader would not read back as written is never written.
        {"not in 1252", "[A]\r\n", {{"A", "k", "Склад"}}, "<refused>"},
        {"not in the code page",
         "[SETUP]\r\ncodepage=1250\r\n[A]\r\n",
         {{"A", "k", "ä"}},
         "<refused>"},
        {"a line break", "[A]\r\n", {{"A", "k", "a\rb"}}, "<refused>"},
        {"blanks around", "[A]\r\n", {{"A", "k", " a"}}, "<refused>"},
        {"quotes around", "[A]\r\n", {{"A", "k", "\"a\""}}, "<refused>"},
        {"no such section", "[A]\r\n", {{"B", "k", "1"}}, "<refused>"},
        {"the byte that kept it 1252",
         "[B\xC3\xA4r]\r\nk=\xFF\r\n",
         {{"BÃ¤r", "k", "1"}},
         "<refused>"},
        {"nothing to remove", "[A]\r\nk=1\r\n", {{"A", "", "x"}}, "<refused>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(edited(c.bytes, c.edits), c.expected) << c.name;
        if (c.expected == "<refused>")
            continue;
        // And the reader reads each value back as it was set.
        const ProfileDocument after(c.expected, decode1250, encode1250);
        const DecodedProfile d = DecodeProfile(c.expected, decode1250);
        for (const Edit& e : c.edits)
            if (!e.key.empty())
                EXPECT_EQ(
                    ProfileText(d.text).Value(e.section, e.key, "<d>", ProfileText::kUnlimited),
                    e.value)
                    << c.name;
        EXPECT_EQ(after.Encoding().kind, DecodeProfile(c.bytes, decode1250).encoding.kind)
            << c.name;
    }
}

// Untouched means byte-identical, whatever the bytes.
TEST(ProfileEditor, AFileReadAndWrittenWithoutAnEditIsTheSameFile) {
    std::string bytes;
    unsigned seed = 7;
    const std::string pieces[] = {"[", "]",    "=",        "\r",           "\n",  "\r\n",
                                  " ", "\t",   ";",        "\"",           "A",   "k",
                                  "ä", "\xE4", "\xFF\xFE", "\xEF\xBB\xBF", "\0"s, "\x1A"};
    for (int file = 0; file < 300; ++file) {
        bytes.clear();
        for (int i = 0; i < file % 40; ++i) {
            seed = seed * 1103515245u + 12345u;
            bytes += pieces[(seed >> 16) % std::size(pieces)];
        }
        EXPECT_EQ(ProfileDocument(bytes, decode1250, encode1250).Bytes(), bytes) << file;
    }
}

// Text inside is UTF-8: the configuration's bytes decoded exactly, and field
// widths counted in characters.
#include "base/Utf8.h"
#include "config/ProfileDecoding.h"
#include "config/ProgramList.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace std::string_literals;

namespace {

const std::string kBad = "\xEF\xBF\xBD"; // U+FFFD

// Stands in for Windows' code pages: 1250's "ř", "á", "Ă" and "ˇ", 1251's
// "Ж"; any other code page is unknown.
std::optional<std::string> fakeCodePages(unsigned codePage, std::string_view bytes) {
    if (codePage != 1250 && codePage != 1251)
        return std::nullopt;
    std::string out;
    for (char c : bytes)
        out += c == '\xF8'                       ? "ř"
               : c == '\xC3' && codePage == 1250 ? "Ă"
               : c == '\xA1' && codePage == 1250 ? "ˇ"
               : c == '\xE1'                     ? (codePage == 1250 ? "á" : "б")
               : c == '\xC6'                     ? "Ж"
                                                 : std::string(1, c);
    return out;
}

} // namespace

TEST(ProfileDecoding, EachMarkOrCodePageDecodesExactlyAndNothingIsInvented) {
    const struct {
        const char* name;
        std::string bytes, text;
        ProfileEncoding::Kind kind;
        unsigned codePage;
    } cases[] = {
        {"utf8 mark", "\xEF\xBB\xBF[Склад]\r\nk=Müller €\r\n", "[Склад]\r\nk=Müller €\r\n",
         ProfileEncoding::Utf8Mark, 1252},
        {"overlong =", "\xEF\xBB\xBFk\xE0\x80\xBDv", "k" + kBad + kBad + kBad + "v",
         ProfileEncoding::Utf8Mark, 1252},
        {"overlong NUL", "\xEF\xBB\xBF\xE0\x80\x80|\xC0\x80",
         kBad + kBad + kBad + "|" + kBad + kBad, ProfileEncoding::Utf8Mark, 1252},
        {"surrogate, past U+10FFFF", "\xEF\xBB\xBF\xED\xA0\x80 \xF4\x90\x80\x80 \xF0\x9F\x98\x80",
         kBad + kBad + kBad + " " + kBad + kBad + kBad + kBad + " \xF0\x9F\x98\x80",
         ProfileEncoding::Utf8Mark, 1252},
        {"truncated", "\xEF\xBB\xBFok\xE2\x82", "ok" + kBad, ProfileEncoding::Utf8Mark, 1252},
        {"utf16 le, lone surrogate", "\xFF\xFE[\0\x16\x04\0\xD8]\0"s, "[Ж" + kBad + "]",
         ProfileEncoding::Utf16LeMark, 1252},
        {"utf16 be, odd end", "\xFE\xFF\0[\x04\x16\0"s, "[Ж" + kBad, ProfileEncoding::Utf16BeMark,
         1252},
        {"no mark: 1252", "[M\xFCller \x80]", "[Müller €]", ProfileEncoding::CodePage, 1252},
        {"codepage=1250", "[SETUP]\r\ncodepage=1250\r\n[Dvo\xF8\xE1k]",
         "[SETUP]\r\ncodepage=1250\r\n[Dvořák]", ProfileEncoding::CodePage, 1250},
        {"codepage=0x4E3", "[setup]\r\nCodePage = 0x4E3\r\n[\xC6\xE1]",
         "[setup]\r\nCodePage = 0x4E3\r\n[Жб]", ProfileEncoding::CodePage, 1251},
        {"codepage=65001", "[SETUP]\r\ncodepage=65001\r\n[\xD0\x96\xE0\x80\xBD]",
         "[SETUP]\r\ncodepage=65001\r\n[Ж" + kBad + kBad + kBad + "]", ProfileEncoding::CodePage,
         65001},
        {"unknown code page", "[SETUP]\r\ncodepage=4711\r\n[\xE1]",
         "[SETUP]\r\ncodepage=4711\r\n[á]", ProfileEncoding::CodePage, 1252},
        {"mark beats codepage=", "\xEF\xBB\xBF[SETUP]\r\ncodepage=1250\r\n[\xC3\xA1]",
         "[SETUP]\r\ncodepage=1250\r\n[á]", ProfileEncoding::Utf8Mark, 1252},
    };
    for (const auto& c : cases) {
        const DecodedProfile d = DecodeProfile(c.bytes, fakeCodePages);
        EXPECT_EQ(d.text, c.text) << c.name;
        EXPECT_EQ(d.encoding.kind, c.kind) << c.name;
        EXPECT_EQ(d.encoding.codePage, c.codePage) << c.name;
    }
    EXPECT_TRUE(DecodeProfile("[SETUP]\r\ncodepage=4711\r\n", fakeCodePages).encoding.Unknown());
    EXPECT_FALSE(DecodeProfile("[SETUP]\r\ncodepage=1250\r\n", fakeCodePages).encoding.Unknown());
}

// Notepad saves UTF-8 without a mark. Such a file is UTF-8 when all of it is
// well-formed and some of it is not ASCII; real Windows-1252 text never is.
TEST(ProfileDecoding, AFileWithoutMarkIsUtf8OnlyWhenWellFormedAndRealAnsiTextStaysAnsi) {
    const std::string utf8 = "[Lager]\r\ndisplayname=Lagerverwaltung Bärenstraße\r\n";
    const struct {
        const char* name;
        std::string bytes, text;
        ProfileEncoding::Kind kind;
    } cases[] = {
        {"utf8 without mark", utf8, utf8, ProfileEncoding::Utf8Detected},
        {"ascii", "[A]\r\nk=v\r\n", "[A]\r\nk=v\r\n", ProfileEncoding::CodePage},
        {"one stray byte", utf8 + "\xFC",
         "[Lager]\r\ndisplayname=Lagerverwaltung BÃ¤renstraÃŸe\r\nü", ProfileEncoding::CodePage},
        {"codepage= wins", "[SETUP]\r\ncodepage=1250\r\n[\xC3\xA1]",
         "[SETUP]\r\ncodepage=1250\r\n[Ăˇ]", ProfileEncoding::CodePage},
        {"german",
         "[A]\r\ndisplayname=Gr\xFC\xDF"
         "e aus der B\xE4renstra\xDF"
         "e, M\xFCller & S\xF6hne\r\n",
         "[A]\r\ndisplayname=Grüße aus der Bärenstraße, Müller & Söhne\r\n",
         ProfileEncoding::CodePage},
        {"french",
         "[A]\r\nx=Cr\xE8me br\xFBl\xE9"
         "e \xE0 l'\xE9t\xE9, gar\xE7on na\xEF"
         "f \x80\r\n",
         "[A]\r\nx=Crème brûlée à l'été, garçon naïf €\r\n", ProfileEncoding::CodePage},
        {"scandinavian",
         "[A]\r\nx=Bl\xE5"
         "b\xE6rsyltet\xF8y fra \xC6r\xF8, \xC5se og \xD8ystein\r\n",
         "[A]\r\nx=Blåbærsyltetøy fra Ærø, Åse og Øystein\r\n", ProfileEncoding::CodePage},
    };
    for (const auto& c : cases) {
        const DecodedProfile d = DecodeProfile(c.bytes, fakeCodePages);
        EXPECT_EQ(d.text, c.text) << c.name;
        EXPECT_EQ(d.encoding.kind, c.kind) << c.name;
    }
}

TEST(ProfileDecoding, WidthsCountCharactersAndACutNeverSplitsOne) {
    ProgramList list;
    list.Open();
    list.Append();
    std::string cyrillic;
    for (int i = 0; i < 130; ++i)
        cyrillic += "Ж";
    list.SetField("displayname", cyrillic);
    list.SetField("odbcrole", "Жё3");
    list.SetField("odbcname", "😀" + std::string(40, 'x'));
    list.Post();
    EXPECT_EQ(list.FieldAsString("displayname"), cyrillic.substr(0, 128 * 2));
    EXPECT_EQ(list.FieldAsString("odbcrole"), "Жё");
    EXPECT_EQ(list.FieldAsString("odbcname"), "😀" + std::string(31, 'x'));
    // Windows' path limits count UTF-16 units: two for a character past U+FFFF.
    EXPECT_EQ(utf16Length("Жx😀"), 4u);
    EXPECT_EQ(utf8Length("Жx😀"), 3u);
}

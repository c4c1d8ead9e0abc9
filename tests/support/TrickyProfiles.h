#pragma once
// Configuration files that test a reader's edges, with what the Windows
// profile functions answer for them (Windows-1252 bytes, buffers of 2048 and
// 16384). The host checks the launcher's reader against this table; under
// Wine the profile functions themselves are checked against it, so that the
// two cannot drift apart.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund::testing {

using namespace std::string_view_literals;

struct ProfileQuery {
    std::string section, key, expected; // expected "<d>" is the fallback
    // What the launcher reads where the profile functions' buffer cuts.
    std::optional<std::string> whole = std::nullopt;
};

struct TrickyProfile {
    std::string name;
    std::string bytes;
    std::vector<std::string> sections;
    std::vector<ProfileQuery> queries;
};

inline const std::vector<TrickyProfile>& TrickyProfiles() {
    static const std::vector<TrickyProfile> table = {
        {"duplicates",
         "[A]\r\nk=1\r\nK=2\r\n[a]\r\nk=3\r\nother=4\r\n",
         {"A", "a"},
         {{"a", "k", "1"}, {"A", "other", "<d>"}}},
        {"blanks",
         "  [  Sp ace  ]  after\r\n\t key \t=\t value with  inner \t\r\n\x1A",
         {"Sp ace"},
         {{" sp ace ", " KEY ", "value with  inner"}}},
        {"comments_and_equals",
         "[S]\r\n;k=commented\r\nk=real\r\n; note\r\ne==a=b\r\nnoequals\r\nnoequals=late\r\n",
         {"S"},
         {{"S", "k", "real"},
          {"S", ";k", "commented"},
          {"S", "e", "=a=b"},
          {"S", "noequals", "<d>"}}},
        {"quotes",
         "[S]\r\nq=\"quoted\"\r\ns='x'\r\nopen=\"open\r\nmixed=\"x'\r\nlone=\"\r\nnone=\"\"\r\n"
         "edge=\"" +
             std::string(2047, 'x') + "\"\r\n",
         {"S"},
         {{"S", "q", "quoted"},
          {"S", "s", "x"},
          {"S", "open", "\"open"},
          {"S", "mixed", "\"x'"},
          {"S", "lone", "\""},
          {"S", "none", ""},
          {"S", "edge", std::string(2046, 'x'), std::string(2047, 'x')}}},
        {"line_ends",
         "[S]\rk=v\r[T]\nk=w\n\n\r\n[U]\r\r\nk=u",
         {"S", "T", "U"},
         {{"S", "k", "v"}, {"T", "k", "w"}, {"U", "k", "u"}}},
        {"zero_bytes",
         std::string("[S]\r\nk=ab\0cd\r\nn\0x=1\r\n[T\0U]\r\nk=t\r\n"sv),
         {"S", "T"},
         {{"S", "k", "ab"}, {"S", "n", "1"}, {"T", "k", "t"}}},
        {"umlaut_case",
         "[M\xFCller]\r\nk=1\r\n[M\xDCLLER]\r\nk=2\r\n",
         {"M\xFCller", "M\xDCLLER"},
         {{"M\xDCLLER", "k", "2"}, {"m\xFCller", "K", "1"}}},
        {"no_section_names",
         "k=top\r\n[]\r\nk=empty\r\n[S]\r\n[broken\r\nk=s\r\n",
         {"S"},
         {{"S", "k", "s"}, {"S", "[broken", "<d>"}}},
    };
    return table;
}

} // namespace vorlund::testing

// The real vorlundcheck.exe: its argument, exit code and output encoding.
#include "base/Utf8.h"
#include "support/Driver.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vorlund;
using namespace vorlund::testing;
using namespace std::string_literals;

namespace {

DWORD runCheck(const std::vector<std::string>& args, const std::string& outputPath) {
    return RunConsoleProgram(CHECK_EXE, args, outputPath);
}

} // namespace

TEST(CheckExe, AFaultyConfigurationGivesTwoWithGermanTextInUtf8) {
    TempDir dir("checkexe");
    WriteFileBytes(dir / "vorlund.INI", "[SETUP]\r\nJpegImage=b\xE4r.jpg\r\n");
    EXPECT_EQ(runCheck({dir / "vorlund.INI"}, dir / "out.txt"), 2u);
    const std::string out = ReadFileBytes(dir / "out.txt");
    EXPECT_EQ(out.rfind("Vorlund-Prüfung ", 0), 0u) << out;
    EXPECT_NE(out.find("außer [SETUP]"), std::string::npos) << out;
    EXPECT_EQ(runCheck({"a", "b"}, dir / "out.txt"), 2u); // one configuration at most
}

// A folder that Windows-1252 cannot spell, given with the trailing backslash
// that turns the closing quote into a character of the argument.
TEST(CheckExe, PathsInAnyScriptTheDecodingAndSharedNamesAreNamed) {
    TempDir dir("checkexe");
    const std::string folder = dir / "Łukasz";
    const std::u16string wideFolder = utf8ToUtf16(folder);
    ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<const wchar_t*>(wideFolder.c_str()), nullptr));
    const std::string ini = "\xEF\xBB\xBF[A]\r\ndisplayname=Склад\r\nodbcname=Lager\r\n"
                            "[B]\r\ndisplayname=склад\r\nodbcname=LAGER\r\n";
    const std::u16string widePath = utf8ToUtf16(folder + "\\vorlund.INI");
    win::File file(CreateFileW(reinterpret_cast<const wchar_t*>(widePath.c_str()), GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file.get(), ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr));
    file.close();

    runCheck({folder + "\\vorlund.INI"}, dir / "out.txt");
    const std::string out = ReadFileBytes(dir / "out.txt");
    for (const std::string& line :
         {"Konfiguration:         " + folder + "\\vorlund.INI\r\n",
          "Gelesen als:           UTF-8 mit Byte-Order-Mark\r\n"s, "Eintrag 1: „Склад“ [A]\r\n"s,
          "WARNUNG: derselbe Anzeigename wie Eintrag 1"s,
          "WARNUNG: dieselbe Datenquelle wie Eintrag 1"s})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_EQ(runCheck({"/protokolle", folder + "\\"}, dir / "fleet.txt"), 0u);
    EXPECT_EQ(ReadFileBytes(dir / "fleet.txt"),
              "Protokolle in " + folder + ": 0 Arbeitsplätze, 0 mit Fehler im letzten Lauf\r\n");
}

// The real vorlundcheck.exe: its argument, exit code and output encoding.
#include "base/Utf8.h"
#include "prepare/RunLog.h"
#include "support/Driver.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

namespace {

RunRecord runLine(const std::string& time, const std::string& computer, const std::string& app,
                  std::optional<int32_t> installed, std::optional<int32_t> configured,
                  RunResult result, int64_t bytes = 0, int64_t ms = 0) {
    return RunRecord{time, computer,  "anna",     "1.1.0",
                     app,  installed, configured, result,
                     "",   bytes,     ms,         bytes ? std::optional(ms) : std::nullopt,
                     {}};
}

void writeLog(const std::string& path, const std::vector<RunRecord>& runs) {
    std::string text = RunLogHeader();
    for (const RunRecord& r : runs)
        text += FormatRunLine(r);
    WriteFileBytes(path, text);
}

} // namespace

// The real check writes the page and the spreadsheet file from a folder of
// logs: four stations, two applications, a publish, a station not seen for
// weeks, and one whose every field is hostile. Run by report-browser.sh with
// VORLUND_REPORT_OUT set, the page is then looked at in a real browser.
TEST(CheckExe, TheRolloutIsWrittenAsAPageAndASpreadsheetFile) {
    using R = RunResult;
    TempDir dir("report");
    const std::string logs = dir / "Protokolle\\";
    CreateDirectoryA(logs.c_str(), nullptr);
    writeLog(logs + "PC-A_anna.log",
             {runLine("2026-12-01 09:00:00", "PC-A", "Lager", 1, 2, R::Installed, 402653184, 80000),
              runLine("2026-12-02 09:00:00", "PC-A", "Lager", 2, 2, R::Started)});
    writeLog(
        logs + "PC-B_anna.log",
        {runLine("2026-12-01 08:00:00", "PC-B", "Lager", 1, 2, R::Installed, 402653184, 400000),
         runLine("2026-12-02 08:00:00", "PC-B", "Kasse", 4, 4, R::Started)});
    writeLog(logs + "PC-C_anna.log",
             {runLine("2026-11-01 08:00:00", "PC-C", "Lager", 1, 1, R::Started)});
    writeLog(logs + "ADMIN_anna.log",
             {runLine("2026-12-01 07:00:00", "ADMIN", "Lager", 1, 2, R::Published, 402653184)});
    RunRecord hostile = runLine("2026-12-02 10:00:00", "</svg><script>alert(1)</script>",
                                "<img src=x onerror=alert(1)>", 1, 2, R::CopyFailed);
    hostile.user = "=HYPERLINK(\"http://x\",\"y\")";
    hostile.detail = "<img src=x onerror=alert(1)>";
    writeLog(logs + "EVIL_x.log", {hostile});

    const char* out = std::getenv("VORLUND_REPORT_OUT");
    const std::string target = out ? std::string(out) : dir.Path();
    const std::string page = target + "bericht.html", sheet = target + "tabelle.csv";
    WriteFileBytes(sheet, "alt"); // replaced in one step
    EXPECT_EQ(RunConsoleProgram(CHECK_EXE, {"/csv", sheet, "/protokolle", logs, "/bericht", page},
                                dir / "out.txt"),
              1u) // a last run failed, as the table says
        << ReadFileBytes(dir / "out.txt");
    const std::string html = ReadFileBytes(page), csv = ReadFileBytes(sheet);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("default-src 'none'"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find(";\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\";"), std::string::npos) << csv;
    EXPECT_NE(
        csv.find("PC-A;anna;2026-12-02 09:00:00;Lager;2;2;aktuell;gestartet;0;;402653184;80000"),
        std::string::npos)
        << csv;
    EXPECT_FALSE(FileExists(sheet + ".neu"));

    // A folder that cannot be written: a German word and 2.
    EXPECT_EQ(RunConsoleProgram(CHECK_EXE,
                                {"/protokolle", logs, "/bericht", dir / "fehlt\\bericht.html"},
                                dir / "out.txt"),
              2u);
    EXPECT_NE(ReadFileBytes(dir / "out.txt").find("Der Bericht kann nicht geschrieben werden"),
              std::string::npos);
}

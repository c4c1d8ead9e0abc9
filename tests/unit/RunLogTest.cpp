// The run log's lines and the fleet table that reads them back.
#include "base/Cp1252.h"
#include "base/Utf8.h"
#include "fleet/Fleet.h"
#include "prepare/RunLog.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::fleet;

namespace {

RunRecord run(const std::string& computer, RunResult result, const std::string& time) {
    return RunRecord{time, computer, "anna", "1.2.0", "Lager", 1, 2, result, "", 0, 0, {}, {}};
}

std::vector<FleetRow> fleetOf(const std::vector<std::string>& pieces) {
    FleetLog log;
    for (const std::string& piece : pieces)
        log.Feed(piece);
    return log.Finish("PC-1_anna.log");
}

// The text as a spreadsheet saves it back: UTF-16 with its mark.
std::string utf16(const std::string& utf8, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : utf8ToUtf16(utf8)) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

} // namespace

TEST(RunLog, ALineHasThirteenColumnsAndNoTabOrBreakInsideOne) {
    RunRecord r{"2026-12-08 13:05:09",
                "PC-7",
                "m\xC3\xBCller",
                "1.2.0",
                "B\xC3\xA4r\tA",
                std::nullopt,
                31,
                RunResult::CopyFailed,
                "Zugriff\r\nverweigert.\r\n",
                65536,
                1234,
                987,
                "vorab"};
    EXPECT_EQ(FormatRunLine(r),
              "2026-12-08 13:05:09\tPC-7\tm\xC3\xBCller\t1.2.0\tB\xC3\xA4r A\t\t31\t"
              "kopierfehler\tZugriff  verweigert.  \t65536\t1234\t987\tvorab\r\n");
    EXPECT_EQ(
        RunLogHeader(),
        "\xEF\xBB\xBFZeit\tComputer\tBenutzer\tStarter\tAnwendung\tInstalliert\t"
        "Konfiguriert\tErgebnis\tDetail\tBytes\tMillisekunden\tKopiermillisekunden\tRing\r\n");
    // The lines of a release before the copy's own time read without it.
    const std::string old = "2026-12-08 13:05:09\tPC-7\tm\tv\tA\t\t31\tinstalliert\t\t5\t9";
    ASSERT_TRUE(ParseRunLine(old));
    EXPECT_EQ(ParseRunLine(old)->copyMilliseconds, std::nullopt);
    EXPECT_EQ(ParseRunLine(old)->milliseconds, 9);
    const std::string line = FormatRunLine(r);
    const std::optional<RunRecord> back = ParseRunLine(line.substr(0, line.size() - 2));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->application, "B\xC3\xA4r A");
    EXPECT_EQ(back->installed, std::nullopt);
    EXPECT_EQ(back->configured, 31);
    EXPECT_EQ(back->result, RunResult::CopyFailed);
    EXPECT_EQ(back->ring, "vorab");
    // A line of the release before the ring: no ring, the general release.
    const std::string twelve = old + "\t30";
    EXPECT_EQ(ParseRunLine(twelve)->copyMilliseconds, 30);
    EXPECT_EQ(ParseRunLine(twelve)->ring, "");
}

TEST(RunLog, TheFleetSkipsWhatIsNotARunLineAndCountsFailures) {
    const std::string ok = FormatRunLine(run("PC-1", RunResult::Started, "2026-12-08 10:00:00"));
    const std::string bad = FormatRunLine(run("PC-1", RunResult::InUse, "2026-12-08 11:00:00"));
    const std::string header = RunLogHeader();
    EXPECT_TRUE(fleetOf({"MZ\x90\0garbage", "\n\n\t\t\t\n"}).empty()); // a foreign file
    EXPECT_TRUE(fleetOf({header}).empty());                            // only the header
    const std::vector<std::vector<std::string>> logs{
        {header, bad, ok.substr(0, 30), ok.substr(30)}, // a line split across reads
        {header + bad + "x\tx\tx\tx\tx\tx\tx\tneu\tx\tx\tx\r\n" + ok},
        {bad, std::string(200000, 'y'), "\n", ok}, // an overlong line passed over
        {bad, ok.substr(0, ok.size() - 2)},        // the last line without its end
    };
    for (const auto& pieces : logs) {
        const std::vector<FleetRow> rows = fleetOf(pieces);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].last.result, RunResult::Started);
        EXPECT_EQ(rows[0].last.time, "2026-12-08 10:00:00");
        EXPECT_EQ(rows[0].failures, 1);
        EXPECT_EQ(rows[0].file, "PC-1_anna.log");
    }
}

TEST(RunLog, TheTableListsFailuresFirstAndTheExitCodeFollowsTheLastRuns) {
    std::vector<FleetRow> rows{
        {run("PC-A", RunResult::Started, "2026-12-08 09:00:00"), 2, "a"},
        {run("PC-B", RunResult::StartFailed, "2026-12-08 09:30:00"), 1, "b"}};
    rows[0].last.application = "B\xC3\xA4r";
    const std::string table = FleetTable({rows, {}, {}}, "C:\\Logs");
    EXPECT_EQ(table.substr(0, table.find("\r\n")),
              "Protokolle in C:\\Logs: 2 Arbeitsplätze, 1 mit Fehler im letzten Lauf");
    EXPECT_LT(table.find("PC-B"), table.find("PC-A"));
    EXPECT_NE(table.find("Bär"), std::string::npos);
    EXPECT_NE(table.find("1/2"), std::string::npos);
    // A C1 control (a terminal's CSI) is shown as "?", a long name is cut.
    rows[1].last.user = "Ivan\xC2\x9B[2J" + std::string(70, 'x');
    const std::string capped = FleetTable({rows, {}, {}}, "C:\\Logs");
    EXPECT_EQ(capped.find("\xC2\x9B"), std::string::npos);
    EXPECT_NE(capped.find("Ivan?[2J" + std::string(51, 'x') + "… "), std::string::npos) << capped;
    EXPECT_TRUE(IsFailure(*ResultFromKeyword("abgebrochen"))); // a run ended by the error box
    EXPECT_EQ(FleetExitCode({rows, {}, {}}), 1);
    rows.pop_back();
    EXPECT_EQ(FleetExitCode({rows, {}, {}}), 0);
    EXPECT_NE(FleetTable({rows, {}, {}}, "C:\\Logs").find(": 1 Arbeitsplatz, 0 mit"),
              std::string::npos);
    // A publish is no workstation's run: listed apart, never counted.
    FleetLog admin;
    std::string adminLog = RunLogHeader();
    adminLog += FormatRunLine(run("ADMIN", RunResult::Published, "2026-12-08 07:00:00"));
    admin.Feed(adminLog);
    EXPECT_TRUE(admin.Finish("ADMIN_anna.log").empty());
    const Fleet withPublish{rows, admin.Publishes("ADMIN_anna.log"), {}};
    const std::string listed = FleetTable(withPublish, "C:\\Logs");
    EXPECT_NE(listed.find(": 1 Arbeitsplatz, 0 mit"), std::string::npos) << listed;
    EXPECT_GT(listed.find("2026-12-08 07:00:00  ADMIN"), listed.find("PC-A")) << listed;
}

// On a PC with two applications each keeps its own row: a copy failure of
// the first is not hidden by a start of the second. A run without any
// application counts only until an application runs after it.
TEST(RunLog, EachApplicationOfAWorkstationKeepsItsOwnLastRun) {
    const auto line = [](const std::string& app, RunResult result, const std::string& time) {
        RunRecord r = run("PC-1", result, time);
        r.application = app;
        return FormatRunLine(r);
    };
    const std::string log = RunLogHeader() +
                            line("", RunResult::FaultyConfiguration, "2026-12-08 07:00:00") +
                            line("Lager", RunResult::CopyFailed, "2026-12-08 08:00:00") +
                            line("Kasse", RunResult::Started, "2026-12-08 09:00:00") +
                            line("", RunResult::Left, "2026-12-08 09:30:00") +
                            line("Kasse", RunResult::Started, "2026-12-08 10:00:00");
    std::string wider = line("Lager", RunResult::Started, "2026-12-08 11:00:00");
    wider.insert(wider.size() - 2, "\tneue Spalte\t7"); // a later release's columns
    for (const std::string& bytes : {log, utf16(log, false), utf16(log, true)}) {
        std::vector<std::string> pieces;
        for (size_t at = 0; at < bytes.size(); at += 7) // odd pieces split units and pairs
            pieces.push_back(bytes.substr(at, 7));
        const std::vector<FleetRow> rows = fleetOf(pieces);
        ASSERT_EQ(rows.size(), 2u) << bytes.size();
        EXPECT_EQ(rows[0].last.application, "Lager");
        EXPECT_EQ(rows[0].last.result, RunResult::CopyFailed);
        EXPECT_EQ(rows[1].last.time, "2026-12-08 10:00:00");
        EXPECT_EQ(FleetExitCode({rows, {}, {}}), 1);
    }
    const std::vector<FleetRow> later = fleetOf({log, wider});
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[0].last.result, RunResult::Started);
    EXPECT_EQ(later[0].last.bytes, 0);
    EXPECT_EQ(
        fleetOf({log + line("", RunResult::FaultyConfiguration, "2026-12-08 12:00:00")}).size(),
        3u);

    const std::string table =
        FleetTable({later, {}, {"a.log", "b.log", "c.log", "d.log", "e.log", "f.log"}}, "C:\\Logs");
    EXPECT_EQ(table.substr(0, table.find("\r\n")),
              "Protokolle in C:\\Logs: 1 Arbeitsplatz, 0 mit Fehler im letzten Lauf; 6 Dateien "
              "ohne eine Zeile eines Laufs \u00FCbergangen: a.log, b.log, c.log, d.log, e.log "
              "und 1 weitere");
}

// Every byte of a log is untrusted: a raw 8-bit CSI, a name of one letter and
// 5,000 stray continuation bytes, an escape sequence. The table stays
// well-formed UTF-8 without a control, and no cell passes 60 characters.
TEST(RunLog, HostileBytesLeaveTheTableWellFormedWithoutControlsAndCut) {
    FleetRow hostile{run("PC-\x9B"
                         "2J",
                         RunResult::Started, "2026-12-08 09:00:00"),
                     0, "x"};
    hostile.last.user = "A" + std::string(5000, '\x80');
    hostile.last.application = "\x1B]0;owned\x07\x1B[2J\xC2\x9B"
                               "31m";
    const std::string table = FleetTable({{hostile}, {}, {}}, "C:\\Logs");
    EXPECT_TRUE(wellFormedUtf8(table) == table); // not printed: 15 KB of it before the fix
    for (size_t at = 0; at < table.size();) {
        const char32_t c = nextCodePoint(table, at);
        EXPECT_FALSE((c < 0x20 && c != '\r' && c != '\n') || (c >= 0x7F && c <= 0x9F))
            << "U+" << std::hex << static_cast<unsigned>(c);
    }
    const std::string row = table.substr(table.rfind("PC-"));
    ASSERT_LT(row.size(), 1000u);
    EXPECT_EQ(row.find("PC-\uFFFD2J  "), 0u) << row;
    std::string user = "A";
    for (int i = 0; i < 58; ++i)
        user += "\uFFFD";
    EXPECT_NE(row.find("  " + user + "\u2026  "), std::string::npos) << row;
    EXPECT_NE(row.find("  ?]0;owned??[2J?31m  "), std::string::npos) << row;
    EXPECT_LT(utf8Length(row), 60u * 7 + 2 * 6 + 2);
}

TEST(Cp1252, Utf8ComesBackAndWhatItLacksBecomesAQuestionMark) {
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8("B\xE4r \x80 \x84x\x93")), "B\xE4r \x80 \x84x\x93");
    EXPECT_EQ(utf8ToCp1252("\xD0\x96 \xF0\x9F\x98\x80 \xC3"), "? ? ?");
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF\xFF"), "???");
    // Overlong forms of "/", "\\" and NUL are no characters, as the decoder says.
    EXPECT_EQ(utf8ToCp1252("\xE0\x80\xAF|\xE0\x81\x9C|\xE0\x80\x80"), "???|???|???");
}

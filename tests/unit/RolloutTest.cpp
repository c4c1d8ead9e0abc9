// The rollout report's portable parts: what the logs add up to, where the
// charts' marks go, and hostile text that stays text.
#include "fleet/ChartGeometry.h"
#include "fleet/CsvWriter.h"
#include "fleet/PageWriter.h"
#include "fleet/Rollout.h"
#include "fleet/RolloutReport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vorlund;
using namespace vorlund::fleet;

namespace {

RunRecord line(const std::string& time, const std::string& app, std::optional<int32_t> installed,
               std::optional<int32_t> configured, RunResult result, int64_t bytes = 0,
               int64_t ms = 0) {
    return RunRecord{time, "PC",      "anna",     "1.1.0",
                     app,  installed, configured, result,
                     "",   bytes,     ms,         bytes ? std::optional(ms) : std::nullopt,
                     {}};
}

// Feeds each file's lines to the fleet and to the rollout, as the check does.
struct Logs {
    Fleet fleet;
    Rollout rollout;
    void file(const std::string& name, const std::vector<RunRecord>& runs,
              const std::string& extra = "") {
        FleetLog log([&](const RunRecord& r) { rollout.Add(name, r); });
        log.Feed(RunLogHeader());
        for (const RunRecord& r : runs)
            log.Feed(FormatRunLine(r));
        log.Feed(extra);
        const std::vector<FleetRow> rows = log.Finish(name);
        const std::vector<PublishLine> publishes = log.Publishes(name);
        fleet.rows.insert(fleet.rows.end(), rows.begin(), rows.end());
        fleet.publishes.insert(fleet.publishes.end(), publishes.begin(), publishes.end());
    }
};

} // namespace

TEST(Rollout, TheLogsAddUpToVersionsPerWorkstationAndDay) {
    using R = RunResult;
    Logs logs;
    logs.file("A.log", {line("2026-12-01 09:00:00", "Lager", 1, 2, R::Installed, 4000, 2000),
                        line("2026-12-02 09:00:00", "Lager", 2, 2, R::Started),
                        line("2026-12-02 10:00:00", "Kasse", 5, 5, R::Started)});
    logs.file("B.log",
              {line("2026-12-01 08:00:00", "Lager", 1, 2, R::CopyFailed),
               line("2026-12-03 08:00:00", "Lager", 1, 2, R::CopyFailed),
               line("2026-12-05 08:00:00", "Lager", 1, 2, R::Installed, 8000, 1000)},
              "2026-12-04 damaged line\r\nx\tx\r\n"); // passed over
    logs.file("Admin.log", {line("2026-12-03 07:00:00", "Lager", 2, 3, R::Published)});
    logs.file("C.log", {line("2026-11-10 07:00:00", "Lager", 0, 1, R::Started)}); // on 0

    const std::vector<Rollout::Application> apps = logs.rollout.Applications();
    ASSERT_EQ(apps.size(), 2u);
    const Rollout::Application& lager = apps[1];
    EXPECT_EQ(lager.name, "Lager");
    EXPECT_EQ(lager.newest, 3);                                // the publish line's version
    EXPECT_EQ(lager.counts, (std::array<size_t, 3>{0, 2, 1})); // A and B on 2, C on 0
    std::vector<std::string> curve;
    for (const Rollout::DayShare& d : lager.curve)
        curve.push_back(d.day + " " + std::to_string(d.on) + "/" + std::to_string(d.seen) +
                        (d.published ? " P" : ""));
    EXPECT_EQ(curve, (std::vector<std::string>{"2026-11-10 0/1", "2026-12-01 1/3", "2026-12-02 1/3",
                                               "2026-12-03 0/3 P", "2026-12-05 0/3"}));
    EXPECT_EQ(logs.rollout.LastCopy("B.log", "Lager")->bytes, 8000);
    EXPECT_FALSE(logs.rollout.LastCopy("A.log", "Kasse"));
    EXPECT_EQ(logs.rollout.LastSeen("A.log"), "2026-12-02 10:00:00");

    const std::string page =
        RolloutPage(logs.fleet, logs.rollout, "C:\\Logs", "2026-12-09 12:00:00");
    // The publishing PC is no workstation: its line stands apart.
    EXPECT_NE(page.find("<b id=\"arbeitsplaetze\">3</b>"), std::string::npos);
    const std::string published = page.substr(page.find("id=\"veroeffentlichungen\""));
    EXPECT_NE(published.find("<td>2026-12-03 07:00:00</td><td>PC</td><td>anna</td><td>Lager</td>"
                             "<td>3</td>"),
              std::string::npos)
        << published;
    EXPECT_EQ(logs.fleet.publishes.size(), 1u);
    EXPECT_NE(page.find("<b id=\"anwendungen\">2</b>"), std::string::npos);
    // C was last seen 29 days before the report; A seven days.
    const std::string unseen = page.substr(page.find("id=\"alt\""));
    EXPECT_NE(unseen.find("2026-11-10 07:00:00"), std::string::npos);
    EXPECT_EQ(unseen.substr(0, unseen.find("</table>")).find("2026-12-02"), std::string::npos);
    // The slowest install first: A at 2 bytes/ms before B at 8.
    const std::string slow = page.substr(page.find("id=\"langsam\""));
    EXPECT_LT(slow.find("<td class=\"zahl\">4000"), slow.find("<td class=\"zahl\">8000"));
}

// Who has the old version: per station the version after its last run
// beside the newest, in the page and the spreadsheet alike; a PC whose first
// install failed is behind in the bar and in the curve; the slowest install
// is ranked by the copy's own time, an old line without it shown unrated.
TEST(Rollout, EveryStationStandsBesideTheNewestAndTheCopyIsTimedByItself) {
    using R = RunResult;
    Logs logs;
    logs.file("Admin.log", {line("2026-12-01 07:00:00", "Lager", 9, 10, R::Published)});
    logs.file("A.log", {line("2026-12-01 09:00:00", "Lager", 8, 10, R::Installed, 900000, 300)});
    logs.file("B.log", {line("2026-11-20 09:00:00", "Lager", 8, 8, R::Started)});
    logs.file("D.log", {line("2026-12-01 10:00:00", "Lager", std::nullopt, 10, R::CopyFailed)});
    RunRecord waited = line("2026-12-01 11:00:00", "Lager", 8, 10, R::Installed, 100000, 25000);
    waited.copyMilliseconds.reset(); // an older release: the run's time only
    waited.computer = "PC-ALT";
    logs.file("E.log", {waited});

    const Rollout::Application lager = logs.rollout.Applications().at(0);
    EXPECT_EQ(lager.counts, (std::array<size_t, 3>{2, 0, 2})); // A, E; B at 8, D without
    EXPECT_EQ(lager.curve.back().day, "2026-12-01");
    EXPECT_EQ(lager.curve.back().seen, 4u); // D counts, as in the bar
    EXPECT_EQ(lager.curve.back().on, 2u);

    const std::string page =
        RolloutPage(logs.fleet, logs.rollout, "C:\\Logs", "2026-12-02 12:00:00");
    const std::string all = page.substr(page.find("id=\"alle\""));
    EXPECT_NE(all.find("<td>Lager</td><td>10</td><td>10</td><td>aktuell</td><td>installiert"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("<tr class=\"veraltet\"><td>PC</td><td>anna</td><td>2026-11-20 09:00:00"
                       "</td><td>Lager</td><td>8</td><td>10</td><td>veraltet</td>"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("<td>-</td><td>10</td><td>veraltet (ohne Version)</td>"), std::string::npos);
    const std::string slow = page.substr(page.find("id=\"langsam\""));
    EXPECT_LT(slow.find("<td class=\"zahl\">900000"), slow.find("PC-ALT")); // rated first
    EXPECT_NE(slow.find("<td class=\"zahl\">100000</td><td class=\"zahl\"></td><td "
                        "class=\"zahl\"></td>"),
              std::string::npos)
        << slow;
    const std::string csv = RolloutSpreadsheet(logs.fleet, logs.rollout);
    EXPECT_NE(csv.find("Version nach dem letzten Lauf;Neueste Version;Stand;"), std::string::npos);
    EXPECT_NE(csv.find(";Lager;8;10;veraltet;gestartet;"), std::string::npos) << csv;
}

TEST(Rollout, HostileFieldsStayTextOnThePageAndInTheSpreadsheet) {
    const struct {
        std::string field, html, csv;
    } cases[] = {
        {"<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;",
         "<img src=x onerror=alert(1)>"},
        {"</svg><script>alert(1)</script>", "&lt;/svg&gt;&lt;script&gt;alert(1)&lt;/script&gt;",
         "</svg><script>alert(1)</script>"},
        {"=HYPERLINK(\"http://x\",\"y\")", "=HYPERLINK(&quot;http://x&quot;,&quot;y&quot;)",
         "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"+1", "+1", "'+1"},
        {"-2+3", "-2+3", "'-2+3"},
        {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "?x", "'?x"},
        {"\rx", "?x", "'?x"},
        {"a;b", "a;b", "\"a;b\""},
        {"Tom's & Jerry", "Tom&#39;s &amp; Jerry", "Tom's & Jerry"},
        {"\x1B[2J\xC2\x9B\x9B", "?[2J?\uFFFD", "?[2J?\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HtmlText(c.field), c.html) << c.field;
        EXPECT_EQ(CsvCell(c.field), c.csv) << c.field;
    }
    Logs logs;
    RunRecord hostile =
        line("2026-12-01 09:00:00", "<img src=x onerror=alert(1)>", 1, 2, RunResult::CopyFailed);
    hostile.computer = "</svg><script>alert(1)</script>";
    hostile.detail = "=HYPERLINK(\"http://x\",\"y\")";
    logs.file("x.log", {hostile});
    const std::string page = RolloutPage(logs.fleet, logs.rollout, "<b>", "2026-12-09 12:00:00");
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    const std::string csv = RolloutSpreadsheet(logs.fleet, logs.rollout);
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find(";\"'=HYPERLINK("), std::string::npos) << csv;
}

TEST(ChartGeometry, BarsAndCurvesLandOnTheirCoordinates) {
    const std::array<Segment, 3> bar = VersionBar({1, 2, 1}, 400);
    EXPECT_DOUBLE_EQ(bar[0].x, 0);
    EXPECT_DOUBLE_EQ(bar[0].width, 100);
    EXPECT_DOUBLE_EQ(bar[1].x, 100);
    EXPECT_DOUBLE_EQ(bar[1].width, 200);
    EXPECT_DOUBLE_EQ(bar[2].x, 300);
    EXPECT_DOUBLE_EQ(VersionBar({0, 0, 0}, 400)[2].width, 0);
    const std::vector<Point> curve = CurvePoints({0, 0.5, 1}, 640, 170, 24);
    ASSERT_EQ(curve.size(), 3u);
    EXPECT_DOUBLE_EQ(curve[0].x, 24);
    EXPECT_DOUBLE_EQ(curve[0].y, 146);
    EXPECT_DOUBLE_EQ(curve[1].x, 320);
    EXPECT_DOUBLE_EQ(curve[1].y, 85);
    EXPECT_DOUBLE_EQ(curve[2].x, 616);
    EXPECT_DOUBLE_EQ(curve[2].y, 24);
    EXPECT_DOUBLE_EQ(CurvePoints({0.25}, 640, 170, 24)[0].x, 320);
}

// A pilot ring beside everyone: its release counts apart, its PCs are not
// taken for ahead or behind of everyone's, and its failures come first.
TEST(Rollout, ThePilotRingIsCountedApartAndItsFailuresComeFirst) {
    const auto pilot = [](RunRecord r) {
        r.ring = "vorab";
        return r;
    };
    Logs logs;
    RunRecord published = line("2026-12-01 08:00:00", "Lager", 12, 13, RunResult::Published);
    logs.file("ADMIN_x.log", {published, pilot(line("2026-12-01 08:05:00", "Lager", 13, 14,
                                                    RunResult::Published))});
    logs.file("A_anna.log", {line("2026-12-01 09:00:00", "Lager", 12, 13, RunResult::Installed,
                                  500)}); // everyone, on 13
    logs.file("B_anna.log", {line("2026-12-01 09:00:00", "Lager", 12, 12, RunResult::Started)});
    logs.file("C_anna.log", {pilot(line("2026-12-01 09:00:00", "Lager", 13, 14,
                                        RunResult::Installed, 500))}); // the ring, on 14
    logs.file("D_anna.log",
              {pilot(line("2026-12-01 09:00:00", "Lager", 13, 14, RunResult::Unsigned))});
    logs.file("E_anna.log", {line("2026-12-01 09:00:00", "Lager", 12, 13, RunResult::CopyFailed)});

    const Rollout::Application app = logs.rollout.Applications().at(0);
    EXPECT_EQ(app.newest, 13);
    EXPECT_EQ(app.pilot.newest, 14);
    EXPECT_EQ(app.pilot.stations, 2u);
    EXPECT_EQ(app.pilot.onNewest, 1u);
    EXPECT_EQ(app.everyone.stations, 3u);
    EXPECT_EQ(app.everyone.onNewest, 1u);
    EXPECT_EQ(app.counts, (std::array<size_t, 3>{1, 2, 0})); // pilots are neither
    const std::vector<FleetRow> rows = RowsInOrder(logs.fleet);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].file, "D_anna.log"); // the failing pilot first
    EXPECT_EQ(rows[1].file, "E_anna.log");
    const auto c = std::find_if(rows.begin(), rows.end(),
                                [](const FleetRow& r) { return r.file == "C_anna.log"; });
    ASSERT_NE(c, rows.end());
    const StationStand ahead = StandOf(*c, logs.rollout);
    EXPECT_EQ(ahead.newest, 14);
    EXPECT_EQ(ahead.text, "aktuell");
    const std::string table = FleetTable(logs.fleet, "\\\\srv\\logs");
    EXPECT_NE(table.find("Lager: Vorab-Ring 2 Arbeitspl\u00E4tze, 1 auf Version 14; f\u00FCr alle "
                         "3, 1 auf Version 13"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("Lager (Vorab)"), std::string::npos) << table;
    const std::string page =
        RolloutPage(logs.fleet, logs.rollout, "\\\\srv\\logs", "2026-12-02 08:00:00");
    EXPECT_NE(page.find("<b class=\"vorab-pcs\">2</b>"), std::string::npos);

    // Everyone's release overtook the trial: its PCs count with everyone, behind.
    logs.file("ADMIN_y.log", {line("2026-12-03 08:00:00", "Lager", 14, 15, RunResult::Published)});
    const Rollout::Application later = logs.rollout.Applications().at(0);
    EXPECT_EQ(later.pilot.newest, std::nullopt);
    EXPECT_EQ(later.everyone.stations, 5u);
    EXPECT_EQ(StandOf(*c, logs.rollout).text, "veraltet");
}

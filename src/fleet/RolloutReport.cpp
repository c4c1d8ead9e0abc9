#include "fleet/RolloutReport.h"

#include "fleet/ChartGeometry.h"
#include "fleet/CsvWriter.h"
#include "fleet/PageWriter.h"

#include <algorithm>
#include <initializer_list>
#include <set>
#include <string_view>

namespace vorlund::fleet {
namespace {

constexpr double kChartWidth = 640, kCurveHeight = 170, kMargin = 24;
constexpr size_t kSlowest = 10;
constexpr int64_t kUnseenDays = 14;

const char kStyle[] =
    "<style>\n"
    "body{font-family:Segoe UI,Arial,sans-serif;margin:24px;color:#222}\n"
    "h1{font-size:22px}h2{font-size:17px;margin-top:28px;border-bottom:1px solid #ccc}\n"
    "h3{font-size:15px;margin:16px 0 4px}\n"
    "table{border-collapse:collapse;font-size:13px}\n"
    "th,td{border:1px solid #ccc;padding:3px 6px;text-align:left;vertical-align:top}\n"
    "th{background:#eee}.zahl{text-align:right}.fehler{color:#a00}.veraltet{background:#fff3e0}\n"
    "ul.zahlen{list-style:none;padding:0;display:flex;gap:32px}\n"
    ".leer{color:#666}\n"
    "@page{size:A4;margin:15mm}\n"
    "@media print{body{margin:0}section,tr{break-inside:avoid}}\n"
    "</style>\n";

void heading(PageWriter& page, const Fleet& fleet, const std::string& folder,
             const std::string& now) {
    const StationCounts counts = CountStations(fleet);
    std::set<std::string> applications;
    for (const FleetRow& r : fleet.rows)
        if (!r.last.application.empty())
            applications.insert(r.last.application);
    page.Markup("<h1>Verteilung: ").Text(folder).Markup("</h1>\n<p>Bericht vom ").Text(now);
    page.Markup("</p>\n<ul class=\"zahlen\">\n<li>Arbeitspl\u00E4tze: <b id=\"arbeitsplaetze\">")
        .Number(static_cast<int64_t>(counts.stations))
        .Markup("</b></li>\n<li>Anwendungen: <b id=\"anwendungen\">")
        .Number(static_cast<int64_t>(applications.size()))
        .Markup("</b></li>\n<li>Letzter Lauf fehlgeschlagen: <b id=\"fehlerhaft\">")
        .Number(static_cast<int64_t>(counts.failing))
        .Markup("</b></li>\n</ul>\n");
    if (!fleet.passedOver.empty())
        page.Markup("<p class=\"leer\">")
            .Number(static_cast<int64_t>(fleet.passedOver.size()))
            .Markup(" Dateien ohne eine Zeile eines Laufs \u00FCbergangen.</p>\n");
}

void versionBar(PageWriter& page, const Rollout::Application& a) {
    static const char* const kFill[] = {"#2e7d32", "#f9a825", "#c62828"};
    const std::array<Segment, 3> bar = VersionBar(a.counts, kChartWidth);
    page.Markup("<svg class=\"stand\" width=\"640\" height=\"18\" role=\"img\">");
    for (size_t i = 0; i < bar.size(); ++i) {
        if (bar[i].width <= 0)
            continue;
        page.Markup("<rect x=\"").Coordinate(bar[i].x).Markup("\" y=\"0\" width=\"");
        page.Coordinate(bar[i].width).Markup("\" height=\"18\" fill=\"");
        page.Text(kFill[i]).Markup("\"/>");
    }
    page.Markup("</svg>\n");
}

void curve(PageWriter& page, const Rollout::Application& a) {
    std::vector<double> shares;
    for (const Rollout::DayShare& d : a.curve)
        shares.push_back(d.seen ? static_cast<double>(d.on) / static_cast<double>(d.seen) : 0.0);
    const std::vector<Point> points = CurvePoints(shares, kChartWidth, kCurveHeight, kMargin);
    page.Markup("<svg class=\"verlauf\" width=\"640\" height=\"170\" role=\"img\">\n");
    page.Markup("<line x1=\"24\" y1=\"146\" x2=\"616\" y2=\"146\" stroke=\"#888\"/>");
    page.Markup("<line x1=\"24\" y1=\"24\" x2=\"24\" y2=\"146\" stroke=\"#888\"/>");
    page.Markup("<text x=\"2\" y=\"28\" font-size=\"10\">100 %</text>");
    page.Markup("<text x=\"8\" y=\"146\" font-size=\"10\">0 %</text>\n");
    for (size_t i = 0; i < points.size(); ++i)
        if (a.curve[i].published)
            page.Markup("<line class=\"veroeffentlicht\" x1=\"")
                .Coordinate(points[i].x)
                .Markup("\" y1=\"24\" x2=\"")
                .Coordinate(points[i].x)
                .Markup("\" y2=\"146\" stroke=\"#1565c0\" stroke-dasharray=\"4 3\"><title>")
                .Text(a.curve[i].day)
                .Markup(": ver\u00F6ffentlicht</title></line>\n");
    if (points.size() > 1) {
        page.Markup("<polyline fill=\"none\" stroke=\"#2e7d32\" points=\"");
        for (const Point& p : points)
            page.Coordinate(p.x).Markup(",").Coordinate(p.y).Markup(" ");
        page.Markup("\"/>\n");
    }
    const size_t every = std::max<size_t>(1, points.size() / 8); // labels that fit
    for (size_t i = 0; i < points.size(); ++i) {
        const Rollout::DayShare& d = a.curve[i];
        page.Markup("<circle class=\"tag\" cx=\"").Coordinate(points[i].x).Markup("\" cy=\"");
        page.Coordinate(points[i].y).Markup("\" r=\"3\" fill=\"#2e7d32\"><title>").Text(d.day);
        page.Markup(": ").Number(static_cast<int64_t>(d.on)).Markup(" von ");
        page.Number(static_cast<int64_t>(d.seen)).Markup("</title></circle>\n");
        if (i % every == 0 || i + 1 == points.size())
            page.Markup("<text x=\"")
                .Coordinate(points[i].x - 14)
                .Markup("\" y=\"162\" font-size=\"10\">")
                .Text(d.day.substr(5))
                .Markup("</text>\n");
    }
    page.Markup("</svg>\n");
}

// Both rings of an application where it has a pilot ring: how many
// workstations in each, and how many run their ring's newest release.
void rings(PageWriter& page, const Rollout::Application& a) {
    page.Markup("<p class=\"ringe\">Vorab-Ring: <b class=\"vorab-pcs\">");
    page.Number(static_cast<int64_t>(a.pilot.stations)).Markup("</b> Arbeitspl\u00E4tze, davon ");
    page.Markup("<b class=\"vorab-auf\">").Number(static_cast<int64_t>(a.pilot.onNewest));
    page.Markup("</b> auf Version ").Text(VersionText(a.pilot.newest));
    page.Markup("; f\u00FCr alle: <b class=\"alle-pcs\">");
    page.Number(static_cast<int64_t>(a.everyone.stations)).Markup("</b>, davon ");
    page.Markup("<b class=\"alle-auf\">").Number(static_cast<int64_t>(a.everyone.onNewest));
    page.Markup("</b> auf Version ").Text(VersionText(a.everyone.newest)).Markup("</p>\n");
}

void applications(PageWriter& page, const Rollout& rollout) {
    page.Markup("<h2>Stand je Anwendung</h2>\n");
    const std::vector<Rollout::Application> apps = rollout.Applications();
    if (apps.empty())
        page.Markup("<p class=\"leer\">Keine.</p>\n");
    for (const Rollout::Application& a : apps) {
        page.Markup("<section class=\"anwendung\">\n<h3>").Text(a.name).Markup("</h3>\n");
        page.Markup("<p>Neueste Version: <b class=\"neueste\">").Text(VersionText(a.newest));
        page.Markup("</b>; auf ihr <b class=\"auf\">").Number(static_cast<int64_t>(a.counts[0]));
        page.Markup("</b>, eine zur\u00FCck <b class=\"eine\">");
        page.Number(static_cast<int64_t>(a.counts[1]));
        page.Markup("</b>, weiter zur\u00FCck <b class=\"weiter\">");
        page.Number(static_cast<int64_t>(a.counts[2])).Markup("</b></p>\n");
        if (a.pilot.newest)
            rings(page, a);
        versionBar(page, a);
        page.Markup("<p class=\"leer\">Gr\u00FCn: auf der neuesten Version, gelb: eine "
                    "zur\u00FCck, rot: weiter zur\u00FCck oder ohne Version.</p>\n");
        page.Markup("<p>Anteil der Arbeitspl\u00E4tze auf der neuesten Version, je Tag:</p>\n");
        curve(page, a);
        page.Markup("</section>\n");
    }
}

// The cells of a row, each text cleaned and escaped.
void cells(PageWriter& page, std::initializer_list<std::string_view> texts) {
    for (const std::string_view text : texts)
        page.Markup("<td>").Text(text).Markup("</td>");
}

void failing(PageWriter& page, const std::vector<FleetRow>& rows) {
    page.Markup("<h2>Letzter Lauf fehlgeschlagen</h2>\n<table id=\"fehler\">\n<tr><th>Computer"
                "</th><th>Benutzer</th><th>Zeit</th><th>Anwendung</th><th>Ergebnis</th><th>"
                "Detail</th></tr>\n");
    for (const FleetRow& r : rows) {
        if (!LastRunFailed(r))
            continue;
        page.Markup("<tr class=\"fehler\">");
        cells(page, {r.last.computer, r.last.user, r.last.time, ApplicationOf(r),
                     Keyword(r.last.result), r.last.detail});
        page.Markup("</tr>\n");
    }
    page.Markup("</table>\n");
}

// Ranked by the copy's own time; a copy logged without it (an older
// release's line) stands after them, without a rate.
void slowest(PageWriter& page, const std::vector<FleetRow>& rows, const Rollout& rollout) {
    struct Slow {
        const FleetRow* row;
        Rollout::Copy copy;
        std::optional<double> rate; // bytes per millisecond
    };
    std::vector<Slow> copies;
    for (const FleetRow& r : rows)
        if (const std::optional<Rollout::Copy> c = rollout.LastCopy(r.file, r.last.application))
            copies.push_back({&r, *c,
                              c->milliseconds && *c->milliseconds > 0
                                  ? std::optional<double>(static_cast<double>(c->bytes) /
                                                          static_cast<double>(*c->milliseconds))
                                  : std::nullopt});
    std::stable_sort(copies.begin(), copies.end(), [](const Slow& a, const Slow& b) {
        return a.rate && (!b.rate || *a.rate < *b.rate);
    });
    copies.resize(std::min(copies.size(), kSlowest));
    page.Markup("<h2>Langsamste Installationen</h2>\n<table id=\"langsam\">\n<tr><th>Computer"
                "</th><th>Anwendung</th><th>Bytes</th><th>Millisekunden</th><th>KB/s</th></tr>\n");
    for (const Slow& s : copies) {
        page.Markup("<tr>");
        cells(page, {s.row->last.computer, s.row->last.application});
        page.Markup("<td class=\"zahl\">").Number(s.copy.bytes).Markup("</td><td class=\"zahl\">");
        if (s.copy.milliseconds)
            page.Number(*s.copy.milliseconds);
        page.Markup("</td><td class=\"zahl\">");
        if (s.rate)
            page.Number(static_cast<int64_t>(*s.rate * 1000 / 1024));
        page.Markup("</td></tr>\n");
    }
    page.Markup("</table>\n");
}

void unseen(PageWriter& page, const std::vector<FleetRow>& rows, const Rollout& rollout,
            const std::string& now) {
    page.Markup("<h2>Seit 14 Tagen oder l\u00E4nger nicht gesehen</h2>\n<table id=\"alt\">\n"
                "<tr><th>Computer</th><th>Benutzer</th><th>Zuletzt</th></tr>\n");
    std::set<std::string> listed;
    for (const FleetRow& r : rows) {
        const std::string seen = rollout.LastSeen(r.file);
        if (!IsLogTime(now) || !IsLogTime(seen) || !listed.insert(r.file).second ||
            DayNumber(now) - DayNumber(seen) < kUnseenDays)
            continue;
        page.Markup("<tr>");
        cells(page, {r.last.computer, r.last.user, seen});
        page.Markup("</tr>\n");
    }
    page.Markup("</table>\n");
}

// Who published which version when, apart from the workstations.
void publishes(PageWriter& page, const Fleet& fleet) {
    page.Markup("<h2>Ver\u00F6ffentlichungen</h2>\n<table id=\"veroeffentlichungen\">\n<tr><th>"
                "Zeit</th><th>Computer</th><th>Benutzer</th><th>Anwendung</th><th>Version</th>"
                "<th>Detail</th></tr>\n");
    for (const PublishLine& p : fleet.publishes) {
        page.Markup("<tr>");
        cells(page, {p.run.time, p.run.computer, p.run.user, p.run.application,
                     VersionText(p.run.configured), p.run.detail});
        page.Markup("</tr>\n");
    }
    page.Markup("</table>\n");
}

void everyStation(PageWriter& page, const std::vector<FleetRow>& rows, const Rollout& rollout) {
    page.Markup("<h2>Alle Arbeitspl\u00E4tze</h2>\n<table id=\"alle\">\n<tr><th>Computer</th><th>"
                "Benutzer</th><th>Letzter Lauf</th><th>Anwendung</th><th>Version</th><th>"
                "Neueste</th><th>Stand</th><th>Ergebnis</th><th>Fehlerl\u00E4ufe</th></tr>\n");
    for (const FleetRow& r : rows) {
        const StationStand stand = StandOf(r, rollout);
        if (LastRunFailed(r))
            page.Markup("<tr class=\"fehler\">");
        else if (stand.behind)
            page.Markup("<tr class=\"veraltet\">");
        else
            page.Markup("<tr>");
        cells(page, {r.last.computer, r.last.user, r.last.time, ApplicationOf(r),
                     VersionText(stand.version), VersionText(stand.newest), stand.text,
                     Keyword(r.last.result)});
        page.Markup("<td class=\"zahl\">").Number(r.failures).Markup("</td></tr>\n");
    }
    page.Markup("</table>\n");
}

} // namespace

StationStand StandOf(const FleetRow& row, const Rollout& rollout) {
    StationStand s;
    s.newest = rollout.Newest(row.last.application, InPilotRing(row));
    s.version = rollout.VersionAfterLastRun(row.file, row.last.application);
    s.behind = !s.version || (s.newest && *s.version < *s.newest);
    s.text = !s.version ? "veraltet (ohne Version)" : s.behind ? "veraltet" : "aktuell";
    return s;
}

std::string RolloutPage(const Fleet& fleet, const Rollout& rollout, const std::string& folder,
                        const std::string& now) {
    const std::vector<FleetRow> rows = RowsInOrder(fleet);
    PageWriter page;
    page.Markup(
        "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "style-src 'unsafe-inline'; img-src data:\">\n<title>Vorlund: Verteilung</title>\n");
    page.Markup(kStyle).Markup("</head>\n<body>\n");
    heading(page, fleet, folder, now);
    applications(page, rollout);
    failing(page, rows);
    slowest(page, rows, rollout);
    unseen(page, rows, rollout, now);
    publishes(page, fleet);
    everyStation(page, rows, rollout);
    page.Markup("</body>\n</html>\n");
    return page.Page();
}

std::string RolloutSpreadsheet(const Fleet& fleet, const Rollout& rollout) {
    CsvWriter csv;
    for (const char* title :
         {"Computer", "Benutzer", "Letzter Lauf", "Anwendung", "Version nach dem letzten Lauf",
          "Neueste Version", "Stand", "Ergebnis", "Fehlerl\u00E4ufe", "Detail",
          "Bytes der letzten Kopie", "Millisekunden der letzten Kopie", "Ring"})
        csv.Text(title);
    csv.EndRow();
    for (const FleetRow& r : RowsInOrder(fleet)) {
        const std::optional<Rollout::Copy> copy = rollout.LastCopy(r.file, r.last.application);
        const auto number = [](const std::optional<int32_t>& v) {
            return v ? std::optional<int64_t>(*v) : std::nullopt;
        };
        const StationStand stand = StandOf(r, rollout);
        csv.Text(r.last.computer).Text(r.last.user).Text(r.last.time).Text(r.last.application);
        csv.Number(number(stand.version)).Number(number(stand.newest)).Text(stand.text);
        csv.Text(Keyword(r.last.result)).Number(r.failures).Text(r.last.detail);
        csv.Number(copy ? std::optional<int64_t>(copy->bytes) : std::nullopt);
        csv.Number(copy ? copy->milliseconds : std::nullopt);
        csv.Text(InPilotRing(r) ? "vorab" : "").EndRow();
    }
    return csv.File();
}

} // namespace vorlund::fleet

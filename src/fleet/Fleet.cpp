#include "fleet/Fleet.h"

#include "base/Utf8.h"
#include "fleet/CellText.h"

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

namespace vorlund::fleet {
namespace {

constexpr size_t kColumns = 7;
constexpr size_t kWidest = 60; // characters of a cell
using Cells = std::array<std::string, kColumns>;

std::string shown(const std::string& text) {
    return CellText(text, kWidest);
}

Cells cells(const FleetRow& r) {
    return {shown(r.last.computer),
            shown(r.last.user),
            shown(r.last.time),
            shown(ApplicationOf(r)),
            VersionText(r.last.installed) + "/" + VersionText(r.last.configured),
            std::string(Keyword(r.last.result)),
            std::to_string(r.failures)};
}

std::string tableLine(const Cells& row, const std::array<size_t, kColumns>& widths) {
    std::string line;
    for (size_t i = 0; i < kColumns; ++i) {
        const std::string& text = row[i];
        line += text;
        if (i + 1 < kColumns)
            line += std::string(widths[i] - utf8Length(text) + 2, ' ');
    }
    return line + "\r\n";
}

// The rows in columns as wide as their widest cell.
std::string aligned(const std::vector<Cells>& table) {
    std::array<size_t, kColumns> widths{};
    for (const Cells& row : table)
        for (size_t i = 0; i < kColumns; ++i)
            widths[i] = std::max(widths[i], utf8Length(row[i]));
    std::string out;
    for (const Cells& row : table)
        out += tableLine(row, widths);
    return out;
}

bool failed(const FleetRow& r) {
    return IsFailure(r.last.result);
}

} // namespace

void FleetLog::run(const RunRecord& record) {
    if (record.result == RunResult::Published) {
        publishes_.push_back(record);
        return;
    }
    FleetRow* row = nullptr;
    if (record.application.empty()) {
        if (!withoutApplication_)
            withoutApplication_ = FleetRow{};
        superseded_ = false;
        row = &*withoutApplication_;
    } else {
        superseded_ = withoutApplication_.has_value();
        const auto [at, added] = byApplication_.emplace(record.application, rows_.size());
        if (added)
            rows_.emplace_back();
        row = &rows_[at->second];
    }
    row->last = record;
    row->failures += IsFailure(record.result) ? 1 : 0;
}

std::vector<FleetRow> FleetLog::Finish(const std::string& file) {
    reader_.Finish();
    std::vector<FleetRow> rows = rows_;
    if (withoutApplication_ && !superseded_)
        rows.push_back(*withoutApplication_);
    for (FleetRow& row : rows)
        row.file = file;
    return rows;
}

std::vector<PublishLine> FleetLog::Publishes(const std::string& file) const {
    std::vector<PublishLine> lines;
    for (const RunRecord& run : publishes_)
        lines.push_back({run, file});
    return lines;
}

namespace {

std::string counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string heading(const Fleet& fleet, const std::string& folder) {
    const StationCounts counts = CountStations(fleet);
    std::string out = "Protokolle in " + folder + ": " +
                      counted(counts.stations, "Arbeitsplatz", "Arbeitspl\u00E4tze") + ", " +
                      std::to_string(counts.failing) + " mit Fehler im letzten Lauf";
    if (!fleet.passedOver.empty()) {
        out += "; " + counted(fleet.passedOver.size(), "Datei", "Dateien") +
               " ohne eine Zeile eines Laufs \u00FCbergangen: ";
        const size_t named = std::min<size_t>(fleet.passedOver.size(), 5);
        for (size_t i = 0; i < named; ++i)
            out += (i ? ", " : "") + CellText(fleet.passedOver[i], kWidest);
        if (fleet.passedOver.size() > named)
            out += " und " + std::to_string(fleet.passedOver.size() - named) + " weitere";
    }
    return out + "\r\n";
}

// Per application with a pilot ring: both rings, their workstations and
// how many of each run the ring's newest release.
std::string ringLines(const Fleet& fleet) {
    struct Ring {
        std::optional<int32_t> newest;
        size_t stations = 0, onNewest = 0;
    };
    std::map<std::string, std::array<Ring, 2>> apps; // everyone, pilot
    const auto newer = [](Ring& ring, const std::optional<int32_t>& v) {
        if (v)
            ring.newest = std::max(ring.newest.value_or(*v), *v);
    };
    for (const PublishLine& p : fleet.publishes)
        newer(apps[p.run.application][p.run.ring == "vorab"], p.run.configured);
    for (const FleetRow& r : fleet.rows)
        newer(apps[r.last.application][InPilotRing(r)], r.last.configured);
    for (const FleetRow& r : fleet.rows) {
        Ring& ring = apps[r.last.application][InPilotRing(r)];
        const bool installed =
            r.last.result == RunResult::Installed || r.last.result == RunResult::Refreshed;
        const std::optional<int32_t> version = installed ? r.last.configured : r.last.installed;
        ++ring.stations;
        ring.onNewest += version && version == ring.newest;
    }
    std::string out;
    for (const auto& [name, rings] : apps) {
        if (!rings[1].newest || (rings[0].newest && *rings[0].newest >= *rings[1].newest))
            continue; // no trial, or one everyone's release overtook
        out += CellText(name, kWidest) + ": Vorab-Ring " +
               counted(rings[1].stations, "Arbeitsplatz", "Arbeitspl\u00E4tze") + ", " +
               std::to_string(rings[1].onNewest) + " auf Version " + VersionText(rings[1].newest) +
               "; f\u00FCr alle " + std::to_string(rings[0].stations) + ", " +
               std::to_string(rings[0].onNewest) + " auf Version " + VersionText(rings[0].newest) +
               "\r\n";
    }
    return out;
}

} // namespace

StationCounts CountStations(const Fleet& fleet) {
    std::set<std::string> stations, failing;
    for (const FleetRow& r : fleet.rows) {
        stations.insert(r.file);
        if (failed(r))
            failing.insert(r.file);
    }
    return {stations.size(), failing.size()};
}

std::string VersionText(const std::optional<int32_t>& version) {
    return version ? std::to_string(*version) : std::string("-");
}

bool InPilotRing(const FleetRow& row) {
    return row.last.ring == "vorab";
}

std::string ApplicationOf(const FleetRow& row) {
    return InPilotRing(row) ? row.last.application + " (Vorab)" : row.last.application;
}

std::vector<FleetRow> RowsInOrder(const Fleet& fleet) {
    std::vector<FleetRow> rows = fleet.rows;
    std::stable_sort(rows.begin(), rows.end(), [](const FleetRow& a, const FleetRow& b) {
        // A failing pilot is the reason to stop a trial.
        const bool pilotA = failed(a) && InPilotRing(a), pilotB = failed(b) && InPilotRing(b);
        if (pilotA != pilotB)
            return pilotA;
        if (failed(a) != failed(b))
            return failed(a);
        return std::tie(a.last.computer, a.last.user, a.last.application) <
               std::tie(b.last.computer, b.last.user, b.last.application);
    });
    return rows;
}

bool LastRunFailed(const FleetRow& row) {
    return failed(row);
}

std::string FleetTable(const Fleet& fleet, const std::string& folder) {
    const std::vector<FleetRow> rows = RowsInOrder(fleet);
    std::string out = heading(fleet, folder) + ringLines(fleet);
    if (rows.empty())
        return out;
    const Cells title{
        "Computer", "Benutzer",        "Letzter Lauf", "Anwendung", "Installiert/Konfiguriert",
        "Ergebnis", "Fehlerl\u00E4ufe"};
    std::vector<Cells> table{title};
    for (const FleetRow& r : rows)
        table.push_back(cells(r));
    out += "\r\n" + aligned(table);
    if (!fleet.publishes.empty()) {
        std::vector<Cells> publishes{
            {"Ver\u00F6ffentlicht", "Computer", "Benutzer", "Anwendung", "Version", "", ""}};
        for (const PublishLine& p : fleet.publishes)
            publishes.push_back({shown(p.run.time), shown(p.run.computer), shown(p.run.user),
                                 shown(p.run.application), VersionText(p.run.configured), "", ""});
        out += "\r\n" + aligned(publishes);
    }
    return out;
}

int FleetExitCode(const Fleet& fleet) {
    return std::any_of(fleet.rows.begin(), fleet.rows.end(), failed) ? 1 : 0;
}

} // namespace vorlund::fleet

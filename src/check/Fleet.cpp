#include "check/Fleet.h"

#include "base/Utf8.h"
#include "check/CellText.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace vorlund::check {
namespace {

constexpr size_t kLongestLine = 64 * 1024;
constexpr size_t kColumns = 7;
constexpr size_t kWidest = 60; // characters of a cell
using Cells = std::array<std::string, kColumns>;

std::string shown(const std::string& text) {
    return CellText(text, kWidest);
}

Cells cells(const FleetRow& r) {
    const auto number = [](const std::optional<int32_t>& v) {
        return v ? std::to_string(*v) : std::string("-");
    };
    return {shown(r.last.computer),
            shown(r.last.user),
            shown(r.last.time),
            shown(r.last.application),
            number(r.last.installed) + "/" + number(r.last.configured),
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

bool failed(const FleetRow& r) {
    return IsFailure(r.last.result);
}

} // namespace

void FleetLog::Feed(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        append(bytes.substr(0, end));
        if (end == std::string_view::npos)
            return;
        endLine();
        bytes.remove_prefix(end + 1);
    }
}

std::optional<FleetRow> FleetLog::Finish() {
    endLine();
    return row_;
}

void FleetLog::append(std::string_view piece) {
    if (overlong_)
        return;
    if (pending_.size() + piece.size() > kLongestLine) {
        overlong_ = true; // no run line is that long: skip to its end
        pending_.clear();
        return;
    }
    pending_ += piece;
}

void FleetLog::endLine() {
    if (!overlong_)
        line(pending_);
    pending_.clear();
    overlong_ = false;
}

void FleetLog::line(std::string_view text) {
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    const std::optional<RunRecord> run = ParseRunLine(text);
    if (!run)
        return;
    const int64_t failures = (row_ ? row_->failures : 0) + (IsFailure(run->result) ? 1 : 0);
    row_ = FleetRow{*run, failures};
}

std::string FleetTable(std::vector<FleetRow> rows, const std::string& folder) {
    std::stable_sort(rows.begin(), rows.end(), [](const FleetRow& a, const FleetRow& b) {
        if (failed(a) != failed(b))
            return failed(a);
        return std::tie(a.last.computer, a.last.user) < std::tie(b.last.computer, b.last.user);
    });
    const size_t failing = static_cast<size_t>(std::count_if(rows.begin(), rows.end(), failed));
    std::string out = "Protokolle in " + folder + ": " + std::to_string(rows.size()) +
                      " Arbeitspl\u00E4tze, " + std::to_string(failing) +
                      " mit Fehler im letzten Lauf\r\n";
    if (rows.empty())
        return out;
    const Cells title{
        "Computer", "Benutzer",        "Letzter Lauf", "Anwendung", "Installiert/Konfiguriert",
        "Ergebnis", "Fehlerl\u00E4ufe"};
    std::vector<Cells> table{title};
    for (const FleetRow& r : rows)
        table.push_back(cells(r));
    std::array<size_t, kColumns> widths{};
    for (const Cells& row : table)
        for (size_t i = 0; i < kColumns; ++i)
            widths[i] = std::max(widths[i], utf8Length(row[i]));
    out += "\r\n";
    for (const Cells& row : table)
        out += tableLine(row, widths);
    return out;
}

int FleetExitCode(const std::vector<FleetRow>& rows) {
    return std::any_of(rows.begin(), rows.end(), failed) ? 1 : 0;
}

} // namespace vorlund::check

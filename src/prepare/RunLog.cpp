#include "prepare/RunLog.h"

#include "config/IntParse.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vorlund {
namespace {

constexpr std::array<std::string_view, 18> kKeywords{"",
                                                     "gestartet",
                                                     "installiert",
                                                     "kopierfehler",
                                                     "in_benutzung",
                                                     "startfehler",
                                                     "odbc_fehler",
                                                     "konfiguration_fehlerhaft",
                                                     "beendet",
                                                     "abgebrochen",
                                                     "verlassen",
                                                     "vertrauensort_fehler",
                                                     "aufgefrischt",
                                                     "nicht_aufgefrischt",
                                                     "pruefsumme_falsch",
                                                     "gesperrt",
                                                     "veroeffentlicht",
                                                     "signatur_falsch"};
constexpr size_t kColumns = 13;
constexpr size_t kOldColumns = 11; // before the copy's own time

std::string cell(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return out;
}

std::string number(const std::optional<int32_t>& value) {
    return value ? std::to_string(*value) : std::string();
}

std::vector<std::string_view> split(std::string_view line) {
    std::vector<std::string_view> columns;
    for (size_t start = 0;;) {
        const size_t tab = line.find('\t', start);
        columns.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos || columns.size() > kColumns)
            return columns;
        start = tab + 1;
    }
}

bool optionalNumber(std::string_view text, std::optional<int32_t>& out) {
    if (text.empty())
        return true;
    out = parseDecimal32(text);
    return out.has_value();
}

} // namespace

std::string_view Keyword(RunResult result) {
    return kKeywords[static_cast<size_t>(result)];
}

std::optional<RunResult> ResultFromKeyword(std::string_view keyword) {
    for (size_t i = 1; i < kKeywords.size(); ++i)
        if (kKeywords[i] == keyword)
            return static_cast<RunResult>(i);
    return std::nullopt;
}

bool IsFailure(RunResult result) {
    switch (result) {
    case RunResult::CopyFailed:
    case RunResult::InUse:
    case RunResult::StartFailed:
    case RunResult::OdbcFailed:
    case RunResult::FaultyConfiguration:
    case RunResult::Aborted:
    case RunResult::Mismatch:
    case RunResult::Unsigned:
        return true;
    default:
        return false;
    }
}

bool IsNote(RunResult result) {
    return result == RunResult::NotTrusted || result == RunResult::Refreshed ||
           result == RunResult::NotRefreshed;
}

std::string RunLogHeader() {
    return "\xEF\xBB\xBFZeit\tComputer\tBenutzer\tStarter\tAnwendung\tInstalliert\tKonfiguriert\t"
           "Ergebnis\tDetail\tBytes\tMillisekunden\tKopiermillisekunden\tRing\r\n";
}

std::string FormatRunLine(const RunRecord& r) {
    const std::string columns[kColumns] = {cell(r.time),
                                           cell(r.computer),
                                           cell(r.user),
                                           cell(r.starter),
                                           cell(r.application),
                                           number(r.installed),
                                           number(r.configured),
                                           std::string(Keyword(r.result)),
                                           cell(r.detail),
                                           std::to_string(r.bytes),
                                           std::to_string(r.milliseconds),
                                           r.copyMilliseconds ? std::to_string(*r.copyMilliseconds)
                                                              : std::string(),
                                           cell(r.ring)};
    std::string line = columns[0];
    for (size_t i = 1; i < kColumns; ++i)
        line += '\t' + columns[i];
    return line + "\r\n";
}

namespace {

// A count as written, or 0: the counts explain a run, they do not make it.
int64_t count(std::string_view text) {
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > (INT64_MAX - 9) / 10)
            return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<RunRecord> ParseRunLine(std::string_view line) {
    const std::vector<std::string_view> c = split(line);
    if (c.size() < kOldColumns) // a later release's columns stand behind these
        return std::nullopt;
    RunRecord r;
    const std::optional<RunResult> result = ResultFromKeyword(c[7]);
    if (!result || c[0].size() != 19 || !optionalNumber(c[5], r.installed) ||
        !optionalNumber(c[6], r.configured))
        return std::nullopt;
    r = RunRecord{std::string(c[0]),
                  std::string(c[1]),
                  std::string(c[2]),
                  std::string(c[3]),
                  std::string(c[4]),
                  r.installed,
                  r.configured,
                  *result,
                  std::string(c[8]),
                  count(c[9]),
                  count(c[10]),
                  std::nullopt,
                  {}};
    if (c.size() > kOldColumns && !c[11].empty() &&
        std::all_of(c[11].begin(), c[11].end(), [](char d) { return d >= '0' && d <= '9'; }))
        r.copyMilliseconds = count(c[11]);
    if (c.size() > kOldColumns + 1)
        r.ring = std::string(c[12]);
    return r;
}

} // namespace vorlund

#pragma once
// The rollout at a glance: a page to look at and a file to sort in a
// spreadsheet, made from what the run logs of a folder say. Every text from
// a log is cleaned and escaped where it is written (PageWriter, CsvWriter).
#include "fleet/Fleet.h"
#include "fleet/Rollout.h"

#include <optional>
#include <string>

namespace vorlund::fleet {

// Where a workstation stands with an application: the version it has after
// its last run beside the newest the logs know; behind it, or without any,
// it is stale.
struct StationStand {
    std::optional<int32_t> version, newest;
    bool behind = false;
    std::string text; // "aktuell", "veraltet", ...
};
StationStand StandOf(const FleetRow& row, const Rollout& rollout);

// One self-contained HTML page: no script, no font, no image from anywhere,
// a Content-Security-Policy that forbids scripts, a print style for A4.
// `now` is the report's time, as the run log writes times.
std::string RolloutPage(const Fleet& fleet, const Rollout& rollout, const std::string& folder,
                        const std::string& now);

// One row per workstation and application: the table's columns, the full
// detail, bytes and milliseconds of the last copy.
std::string RolloutSpreadsheet(const Fleet& fleet, const Rollout& rollout);

} // namespace vorlund::fleet

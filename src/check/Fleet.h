#pragma once
// The fleet table: what the run logs of many workstations say, one row per
// log file, failures first. Damaged lines and foreign files are passed over.
#include "prepare/RunLog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund::check {

struct FleetRow {
    RunRecord last; // the file's last run
    int64_t failures = 0;
};

// Reads one log file piece by piece, holding no more than one line.
class FleetLog {
  public:
    void Feed(std::string_view bytes);
    // The row, or nothing when the file held no run line at all.
    std::optional<FleetRow> Finish();

  private:
    void append(std::string_view piece);
    void endLine();
    void line(std::string_view text);
    std::string pending_;
    bool overlong_ = false; // the current line is past any sane length
    std::optional<FleetRow> row_;
};

// The table as UTF-8 text with CRLF, failures first.
std::string FleetTable(std::vector<FleetRow> rows, const std::string& folder);
// 1 when any workstation's last run failed, else 0.
int FleetExitCode(const std::vector<FleetRow>& rows);

} // namespace vorlund::check

#pragma once
// The fleet table: what the run logs of many workstations say, one row per
// workstation and application, failures first. Damaged lines and foreign
// files are passed over, and the files passed over are counted.
#include "fleet/RunLogReader.h"
#include "prepare/RunLog.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund::fleet {

struct FleetRow {
    RunRecord last; // the last run of this application on this workstation
    int64_t failures = 0;
    std::string file; // the log it comes from: one per workstation and user
};

// Who published which version when: vorlundpublish's lines, which are no
// workstation's runs.
struct PublishLine {
    RunRecord run;
    std::string file;
};

// One log file, fed piece by piece, holding no more than one line.
class FleetLog {
  public:
    // `each` sees every run line as well, in order (for the rollout report).
    explicit FleetLog(std::function<void(const RunRecord&)> each = {})
        : each_(std::move(each)), reader_([this](const RunRecord& record) {
              run(record);
              if (each_)
                  each_(record);
          }) {}
    FleetLog(const FleetLog&) = delete;
    FleetLog& operator=(const FleetLog&) = delete;

    void Feed(std::string_view bytes) { reader_.Feed(bytes); }
    // The rows in the order their applications first appear; none when the
    // file held no run line at all. A run without an application (a faulty
    // configuration, a selection left) stands only while no later run of an
    // application followed it. Publishes are no rows: they come apart.
    std::vector<FleetRow> Finish(const std::string& file = "");
    std::vector<PublishLine> Publishes(const std::string& file = "") const;

  private:
    void run(const RunRecord& record);
    std::function<void(const RunRecord&)> each_;
    RunLogReader reader_;
    std::vector<FleetRow> rows_;
    std::vector<RunRecord> publishes_;
    std::map<std::string, size_t> byApplication_;
    std::optional<FleetRow> withoutApplication_;
    bool superseded_ = false; // a run of an application came after it
};

struct Fleet {
    std::vector<FleetRow> rows;
    std::vector<PublishLine> publishes;  // in the order of the files, each in time
    std::vector<std::string> passedOver; // files without a single run line
};

// Workstations are log files, one per computer and user: how many the rows
// come from, and how many of them had a last run fail.
struct StationCounts {
    size_t stations = 0, failing = 0;
};
StationCounts CountStations(const Fleet& fleet);

// A version as every output shows it; "-" for none.
std::string VersionText(const std::optional<int32_t>& version);

// Whether the row's last run was one of the pilot ring's release.
bool InPilotRing(const FleetRow& row);
// An application as the outputs name it in a row: with "(Vorab)" for a
// start of the pilot ring's release.
std::string ApplicationOf(const FleetRow& row);

// The rows as every output lists them: failures of the pilot ring first,
// then the other failures, then by computer, user and application.
std::vector<FleetRow> RowsInOrder(const Fleet& fleet);
bool LastRunFailed(const FleetRow& row);

// The table as UTF-8 text with CRLF, failures first.
std::string FleetTable(const Fleet& fleet, const std::string& folder);
// 1 when the last run of any application on any workstation failed, else 0.
int FleetExitCode(const Fleet& fleet);

} // namespace vorlund::fleet

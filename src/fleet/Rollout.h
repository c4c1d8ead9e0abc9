#pragma once
// The rollout as the run logs tell it, for the report page and the
// spreadsheet file: per application the newest version seen and, per day,
// how many workstations had it; per workstation and application its last
// copy. Fed one run line at a time; memory grows with the workstations and
// the days, not with the lines.
#include "fleet/Fleet.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorlund::fleet {

class Rollout {
  public:
    // One run line of the log `file` (one workstation: a computer and user).
    void Add(const std::string& file, const RunRecord& run);

    struct Copy {
        int64_t bytes = 0;
        // The copy's own time; nothing in the lines of releases that logged
        // only the run's, which included the minutes a user sat at a dialog.
        std::optional<int64_t> milliseconds;
    };
    struct DayShare {
        std::string day;        // YYYY-MM-DD
        size_t on = 0;          // workstations on the newest version known that day
        size_t seen = 0;        // workstations of the application seen by that day
        bool published = false; // a publish line says a version went out that day
    };
    // The workstations of one ring and how many run its newest release.
    struct Ring {
        std::optional<int32_t> newest;
        size_t stations = 0, onNewest = 0;
    };
    struct Application {
        std::string name;
        std::optional<int32_t> newest;
        // Of the workstations outside the pilot ring: on the newest, one
        // behind, further behind.
        std::array<size_t, 3> counts{};
        std::vector<DayShare> curve;
        Ring everyone, pilot; // by the ring of each workstation's last run
    };

    std::vector<Application> Applications() const;
    // The last copy of each workstation and application, if it copied at all.
    std::optional<Copy> LastCopy(const std::string& file, const std::string& application) const;
    // The time of the workstation's last run of any application.
    std::string LastSeen(const std::string& file) const;
    // The version the workstation has after its last run of the
    // application; nothing when it has none (a first install failed).
    std::optional<int32_t> VersionAfterLastRun(const std::string& file,
                                               const std::string& application) const;
    // The newest version of the application the logs know, for everyone or
    // for the pilot ring.
    std::optional<int32_t> Newest(const std::string& application, bool pilot = false) const;

  private:
    struct Station {
        // The version it had at the day's end, none while no install came
        // through: it counts as not on the newest version from its first run.
        std::map<std::string, std::optional<int32_t>> versionByDay;
        std::optional<Copy> lastCopy;
        bool pilot = false; // its last run was one of the pilot ring's release
    };
    struct App {
        std::map<std::string, int32_t> newestByDay; // the highest configured version seen that day
        std::optional<int32_t> newestPilot;         // the pilot ring's, apart
        std::set<std::string> publishDays;
        std::map<std::string, Station> stations; // by file
    };
    std::map<std::string, App> apps_;
    std::map<std::string, std::string> lastSeen_; // by file
    // Where the last line went; std::map keeps its elements where they are.
    struct Cursor {
        std::string file, application;
        std::string* seen = nullptr;
        App* app = nullptr;
        Station* station = nullptr;
    } cursor_;
};

// Whether the text is a date and time as the run log writes it.
bool IsLogTime(std::string_view time);
// Days from 1970-01-01 to the date of a log time.
int64_t DayNumber(std::string_view time);

} // namespace vorlund::fleet

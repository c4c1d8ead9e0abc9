#include "fleet/Rollout.h"

#include <algorithm>

namespace vorlund::fleet {
namespace {

// The version a workstation has after a run: what an install put there,
// else what it had.
std::optional<int32_t> versionAfter(const RunRecord& run) {
    if (run.result == RunResult::Installed || run.result == RunResult::Refreshed)
        return run.configured;
    if (run.result == RunResult::Published)
        return std::nullopt; // the administrator's own PC installs nothing by it
    return run.installed;
}

bool copied(const RunRecord& run) {
    return (run.result == RunResult::Installed || run.result == RunResult::Refreshed) &&
           run.bytes > 0;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Sets the day's value; the logs go forward in time, so the day is almost
// always the last one already there, or a new last one.
template <typename V, typename Merge>
void setDay(std::map<std::string, V>& byDay, std::string_view day, V value, Merge merge) {
    if (!byDay.empty() && byDay.rbegin()->first == day) {
        byDay.rbegin()->second = merge(byDay.rbegin()->second, value);
        return;
    }
    auto [at, added] = byDay.emplace(std::string(day), value);
    if (!added)
        at->second = merge(at->second, value);
}

// The value of a map at the last key not after `day`.
template <typename V> const V* asOf(const std::map<std::string, V>& byDay, const std::string& day) {
    auto at = byDay.upper_bound(day);
    return at == byDay.begin() ? nullptr : &std::prev(at)->second;
}

} // namespace

bool IsLogTime(std::string_view t) {
    static constexpr std::string_view shape = "0000-00-00 00:00:00";
    if (t.size() != shape.size())
        return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (shape[i] == '0' ? !isDigit(t[i]) : t[i] != shape[i])
            return false;
    const int month = (t[5] - '0') * 10 + (t[6] - '0'), day = (t[8] - '0') * 10 + (t[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

int64_t DayNumber(std::string_view t) {
    // Howard Hinnant's days_from_civil.
    int64_t y = std::stoll(std::string(t.substr(0, 4)));
    const int64_t m = std::stoll(std::string(t.substr(5, 2)));
    const int64_t d = std::stoll(std::string(t.substr(8, 2)));
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void Rollout::Add(const std::string& file, const RunRecord& run) {
    if (!IsLogTime(run.time))
        return; // a line without a date tells nothing of a rollout
    // The lines of one file come together: its entries are found once.
    if (!cursor_.seen || cursor_.file != file) {
        cursor_ = Cursor{file, {}, &lastSeen_[file], nullptr, nullptr};
    }
    *cursor_.seen = std::max(*cursor_.seen, run.time);
    if (run.application.empty())
        return;
    if (!cursor_.app || cursor_.application != run.application) {
        cursor_.application = run.application;
        cursor_.app = &apps_[run.application];
        cursor_.station = nullptr;
    }
    App& app = *cursor_.app;
    const std::string_view day = std::string_view(run.time).substr(0, 10);
    const bool pilot = run.ring == "vorab";
    if (run.configured && pilot)
        app.newestPilot = std::max(app.newestPilot.value_or(*run.configured), *run.configured);
    else if (run.configured)
        setDay(app.newestByDay, day, *run.configured,
               [](int32_t a, int32_t b) { return std::max(a, b); });
    if (run.result == RunResult::Published) {
        app.publishDays.emplace(day);
        return;
    }
    if (!cursor_.station)
        cursor_.station = &app.stations[file];
    Station& station = *cursor_.station;
    const std::optional<int32_t> version = versionAfter(run);
    if (version || station.versionByDay.empty())
        setDay(station.versionByDay, day, version,
               [](const std::optional<int32_t>& a, const std::optional<int32_t>& b) {
                   return b ? b : a;
               });
    if (copied(run))
        station.lastCopy = Copy{run.bytes, run.copyMilliseconds};
    station.pilot = pilot;
}

std::vector<Rollout::Application> Rollout::Applications() const {
    std::vector<Application> out;
    for (const auto& [name, app] : apps_) {
        Application a;
        a.name = name;
        std::set<std::string> days;
        for (const auto& [day, newest] : app.newestByDay) {
            days.insert(day);
            a.newest = std::max(a.newest.value_or(newest), newest);
        }
        for (const auto& [file, station] : app.stations)
            for (const auto& [day, version] : station.versionByDay)
                days.insert(day);
        a.everyone.newest = a.newest;
        // A trial that everyone's release overtook (promoted, ended, or a
        // newer one for all) is over: its PCs count with everyone.
        const bool trial = app.newestPilot && (!a.newest || *app.newestPilot > *a.newest);
        if (trial)
            a.pilot.newest = app.newestPilot;
        for (const auto& [file, station] : app.stations) {
            const std::optional<int32_t> version =
                station.versionByDay.empty() ? std::nullopt : station.versionByDay.rbegin()->second;
            const bool pilot = station.pilot && trial;
            Ring& ring = pilot ? a.pilot : a.everyone;
            ++ring.stations;
            ring.onNewest += version && ring.newest && *version == *ring.newest;
            if (pilot)
                continue; // ahead of everyone by design
            const size_t slot = !version || !a.newest       ? 2
                                : *version == *a.newest     ? 0
                                : *version == *a.newest - 1 ? 1
                                                            : 2;
            ++a.counts[slot];
        }
        // Running maxima: the newest version known by each day.
        std::optional<int32_t> newestSoFar;
        for (const std::string& day : days) {
            if (const int32_t* n = asOf(app.newestByDay, day))
                newestSoFar = std::max(newestSoFar.value_or(*n), *n);
            DayShare share{day, 0, 0, app.publishDays.count(day) > 0};
            for (const auto& [file, station] : app.stations)
                if (const std::optional<int32_t>* v = asOf(station.versionByDay, day)) {
                    ++share.seen;
                    share.on += *v && newestSoFar && **v >= *newestSoFar;
                }
            a.curve.push_back(share);
        }
        out.push_back(std::move(a));
    }
    return out;
}

std::optional<Rollout::Copy> Rollout::LastCopy(const std::string& file,
                                               const std::string& application) const {
    const auto app = apps_.find(application);
    if (app == apps_.end())
        return std::nullopt;
    const auto station = app->second.stations.find(file);
    return station == app->second.stations.end() ? std::nullopt : station->second.lastCopy;
}

std::optional<int32_t> Rollout::VersionAfterLastRun(const std::string& file,
                                                    const std::string& application) const {
    const auto app = apps_.find(application);
    if (app == apps_.end())
        return std::nullopt;
    const auto station = app->second.stations.find(file);
    if (station == app->second.stations.end() || station->second.versionByDay.empty())
        return std::nullopt;
    return station->second.versionByDay.rbegin()->second;
}

std::optional<int32_t> Rollout::Newest(const std::string& application, bool pilot) const {
    const auto app = apps_.find(application);
    if (app == apps_.end())
        return std::nullopt;
    const std::optional<int32_t> trial = app->second.newestPilot;
    std::optional<int32_t> newest;
    for (const auto& [day, version] : app->second.newestByDay)
        newest = std::max(newest.value_or(version), version);
    // A PC of the ring is behind once everyone's release overtook its own.
    if (pilot && trial && (!newest || *trial > *newest))
        return trial;
    return newest;
}

std::string Rollout::LastSeen(const std::string& file) const {
    const auto at = lastSeen_.find(file);
    return at == lastSeen_.end() ? std::string() : at->second;
}

} // namespace vorlund::fleet

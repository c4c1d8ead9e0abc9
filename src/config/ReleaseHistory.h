#pragma once
// The releases a publish put out, beside the central copy as
// <mdbname>.versionen, one line each, oldest first, each release's bytes as
// <mdbname>.v<version>: a rollback goes to the release before by this
// record, never by which file happens to lie where.
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

// A rollback to a release from before the record (<mdbname>.vorher, when
// the record began after it): nothing lies before it by the record.
inline constexpr int32_t kBeforeTheRecord = INT32_MIN;

struct Release {
    int32_t version = 0;
    int64_t size = 0;
    std::string sha256;
    std::string published;           // "2026-12-09 14:05", the publishing PC's time
    std::optional<int32_t> restores; // a rollback: the release whose bytes it put out again
    bool operator==(const Release&) const = default;
};

constexpr size_t kReleasesKeptByDefault = 5;
constexpr size_t kFewestReleasesKept = 2; // the current one and the one before

// Lines that are no release (comments, damage) are passed over.
std::vector<Release> ParseReleaseHistory(std::string_view text);
std::string FormatReleaseHistory(const std::vector<Release>& history);

// The history with `added` as its newest release, and at most `keep` of
// them; the ones that went are in `dropped`.
std::vector<Release> WithRelease(std::vector<Release> history, const Release& added, size_t keep,
                                 std::vector<Release>& dropped);

// The release a rollback goes to from the one whose bytes are `current`:
// the one published before it, and before a rollback the one before the
// release it restored, so that two rollbacks never toggle back. Nothing
// when the record knows none, also when the restored release has left it.
std::optional<Release> ReleaseBefore(const std::vector<Release>& history,
                                     std::string_view currentSha256);
std::optional<Release> FindRelease(const std::vector<Release>& history, int32_t version);
std::optional<int32_t> HighestVersion(const std::vector<Release>& history);
// The newest release with these bytes.
std::optional<Release> ReleaseWithBytes(const std::vector<Release>& history,
                                        std::string_view sha256);

std::string ReleaseHistoryPath(const std::string& central);
std::string ReleaseFilePath(const std::string& central, int32_t version);

} // namespace vorlund

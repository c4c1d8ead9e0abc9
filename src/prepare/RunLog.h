#pragma once
// The run log: one line per run in <logdir>\<computer>_<user>.log, UTF-8 and
// tab-separated, so that the administrator can see what happened on every
// workstation. Read back by vorlundcheck's fleet table.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

enum class RunResult {
    None,
    Started,             // the shell opened the database
    Installed,           //
    CopyFailed,          //
    InUse,               // the old copy could not be replaced
    StartFailed,         // the shell refused
    OdbcFailed,          //
    FaultyConfiguration, //
    Left,                // the user left the selection
    Aborted,             // an error ended the start-up step in the default error box
    Abandoned,           // closed while waiting for another launcher's install
    NotTrusted,          // the trusted location could not be written; the run went on
    Refreshed,           // a bloated local copy was copied afresh, then opened
    NotRefreshed,        // it could not be; the old copy opened as it was
    Mismatch,            // the central copy is not the one published; nothing installed
    Locked,              // the administrator locked the application; nothing started
    Published,           // vorlundpublish put a new central copy out
    Unsigned,            // no pinned key signed the release; nothing installed
};

std::string_view Keyword(RunResult result);
std::optional<RunResult> ResultFromKeyword(std::string_view keyword);
bool IsFailure(RunResult result);
// A note worth more than the plain result that follows it (a refresh, a
// trusted location not written), but less than a failure.
bool IsNote(RunResult result);

// One run, every text in UTF-8.
struct RunRecord {
    std::string time; // local, "YYYY-MM-DD HH:MM:SS"
    std::string computer;
    std::string user;
    std::string starter; // the launcher's version
    std::string application;
    std::optional<int32_t> installed; // recorded before this run
    std::optional<int32_t> configured;
    RunResult result = RunResult::None;
    std::string detail; // the system's text for a failure
    int64_t bytes = 0;  // copied in this run
    int64_t milliseconds = 0;
    // The copy's own time, from its first byte read to its rename; nothing
    // where no copy ran, and in the lines of releases before it.
    std::optional<int64_t> copyMilliseconds;
    // "vorab" for a start of the pilot ring's release; empty for everyone
    // else, and in the lines of releases before it.
    std::string ring;
};

// What a new log file starts with: a UTF-8 byte-order mark and the column names.
std::string RunLogHeader();
// One line with CRLF; tabs and line breaks inside a text become spaces.
std::string FormatRunLine(const RunRecord& record);
// The columns of one line (without its line end); nothing when it is not a
// run line of this format (the header, a damaged or foreign line). Columns
// a later release adds behind these are passed over.
std::optional<RunRecord> ParseRunLine(std::string_view line);

} // namespace vorlund

#pragma once
// Noting a run's outcome and appending its line to the run log. Logging never
// changes a run: a folder that cannot be reached, a full disk or a locked file
// drop the line silently, and the run waits at most a second for it.
#include "prepare/RunState.h"

#include <windows.h>

namespace vorlund {

// The first failure of a run is its outcome; a later result does not replace
// it (a failed copy, then the old copy opened, is a failed copy). A note (a
// refresh, a trusted location not written) gives way to a failure only.
void NoteOutcome(RunState& run, RunResult result, DWORD error = ERROR_SUCCESS);
// The same with the launcher's own words for the detail.
void NoteOutcome(RunState& run, RunResult result, const std::string& detail);

// An error that ends the start-up step ends the run, whatever was noted
// before; its text is the detail.
void NoteAbort(RunState& run, const std::string& text);

// Appends the run's line to <logdir>\<computer>_<user>.log, the folder's
// %NAME% expanded and its missing levels made. Nothing without a log folder.
void AppendRunLog(const RunState& run, const std::string& starter);

} // namespace vorlund

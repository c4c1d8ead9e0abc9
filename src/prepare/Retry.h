#pragma once
// Virus scanners, indexers and backup agents open fresh files for a moment;
// deleting, creating or renaming then fails for milliseconds up to seconds.
// Such refusals are waited out before the user is told anything.
#include <windows.h>

#include <functional>

namespace vorlund {

class InstallSystem;
class PrepareHost;
struct Status;

// A refusal that another program's open handle causes and that may pass.
bool IsTransientLock(DWORD error);

// Tries the operation until it succeeds, fails for a lasting reason, or
// transient refusals have lasted 8 s (pauses of 100 ms, doubling, at most
// 1 s). Returns ERROR_SUCCESS or the last attempt's error.
DWORD RetryWhileLocked(PrepareHost& host, InstallSystem& system,
                       const std::function<Status()>& attempt);

} // namespace vorlund

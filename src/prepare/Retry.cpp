#include "prepare/Retry.h"

#include "prepare/InstallSystem.h"

#include <algorithm>

namespace vorlund {
namespace {

constexpr DWORD kFirstPause = 100;
constexpr DWORD kLongestPause = 1000;
constexpr DWORD kPatience = 8000;

} // namespace

bool IsTransientLock(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

DWORD RetryWhileLocked(PrepareHost& host, InstallSystem& system,
                       const std::function<Status()>& attempt) {
    DWORD waited = 0;
    for (DWORD pause = kFirstPause;; pause = std::min(pause * 2, kLongestPause)) {
        const DWORD error = attempt().error;
        if (error == ERROR_SUCCESS)
            return ERROR_SUCCESS;
        if (!IsTransientLock(error) || waited >= kPatience)
            return error;
        pause = std::min(pause, kPatience - waited);
        system.Pause(host, pause);
        waited += pause;
    }
}

} // namespace vorlund

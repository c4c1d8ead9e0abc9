#include "prepare/Messages.h"
#include "prepare/Preparation.h"
#include "prepare/RunLogFile.h"
#include "win/Unicode.h"

#include <windows.h>
#include <shellapi.h>

namespace vorlund {
namespace {

// The shell's own codes up to 32 are system errors, but for the missing
// association; its last error, where it sets one, says more.
DWORD startError(INT_PTR result) {
    if (const DWORD error = GetLastError())
        return error;
    return result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : static_cast<DWORD>(result);
}

} // namespace

void LaunchStep(PrepareHost& host, RunState& run) {
    if (run.errorCount == 0) {
        run.localPath = run.installDir + run.mdbName;
        run.workingDir = run.installDir;
        host.StartWaitTimer();
        while (host.WaitTimerOn()) {
            host.ProcessMessages();
            if (host.WaitTimerOn())
                host.WaitForMessage();
        }
        // 32 or less is the shell's refusal: no file, no program for its type,
        // no access. Nothing was started, so the user is told. The shell
        // does not always set a last error: an older one must not pass for it.
        SetLastError(ERROR_SUCCESS);
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", win::Wide(run.localPath).c_str(), L"",
                          win::Wide(run.workingDir).c_str(), SW_SHOWNORMAL));
        if (result > 32) {
            NoteOutcome(run, RunResult::Started);
        } else {
            NoteOutcome(run, RunResult::StartFailed, startError(result));
            host.ShowMessage(texts::kStartFailed, MessageType::Error);
        }
    }
    host.HideMainWindow();
}

} // namespace vorlund

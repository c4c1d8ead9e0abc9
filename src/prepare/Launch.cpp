#include "prepare/Messages.h"
#include "prepare/Preparation.h"

#include <windows.h>
#include <shellapi.h>

namespace vorlund {

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
        // no access. Nothing was started, so the user is told.
        const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(
            nullptr, "open", run.localPath.c_str(), "", run.workingDir.c_str(), SW_SHOWNORMAL));
        if (result <= 32)
            host.ShowMessage(texts::kStartFailed, MessageType::Error);
    }
    host.HideMainWindow();
}

} // namespace vorlund

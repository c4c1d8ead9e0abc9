#include "prepare/Messages.h"
#include "prepare/Preparation.h"

#include <windows.h>
#include <shellapi.h>

#include <exception>

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
        try {
            // The shell's own error result (no file, no association) is not examined.
            ShellExecuteA(nullptr, "open", run.localPath.c_str(), "", run.workingDir.c_str(),
                          SW_SHOWNORMAL);
        } catch (const std::exception&) {
            host.ShowMessage(texts::kStartFailed, MessageType::Error);
        }
    }
    host.HideMainWindow();
}

} // namespace vorlund

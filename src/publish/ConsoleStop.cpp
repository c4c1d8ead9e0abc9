#include "publish/ConsoleStop.h"

#include "win/Handles.h"

#include <windows.h>

#include <atomic>

namespace vorlund::publish {
namespace {

std::atomic<bool> stopRequested{false};

HANDLE workDone() {
    static const win::UniqueKernel done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return done.get();
}

// Runs on a thread of its own. Returning from a close ends the process, so
// it returns only once the publish is done; Windows ends it anyway after
// its few seconds.
BOOL WINAPI onConsoleStop(DWORD event) {
    stopRequested = true;
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && workDone())
        WaitForSingleObject(workDone(), INFINITE);
    return TRUE;
}

} // namespace

void HandleConsoleStops() {
    workDone(); // made now, not on the handler's thread
    SetConsoleCtrlHandler(onConsoleStop, TRUE);
}

bool ConsoleStopRequested() {
    return stopRequested;
}

void ConsoleWorkDone() {
    if (workDone())
        SetEvent(workDone());
}

} // namespace vorlund::publish

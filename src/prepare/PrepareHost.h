#pragma once
// What the entry preparation needs of the main window: messages, the progress
// bar, showing and hiding, message processing and the wait timer.
#include "base/MessageType.h"

#include <cstdint>
#include <string_view>

namespace vorlund {

class PrepareHost {
  public:
    virtual ~PrepareHost() = default;

    virtual void ShowMessage(std::string_view text, MessageType type) = 0;
    virtual void ProcessMessages() = 0;

    virtual void SetBarRange(int32_t minimum, int32_t maximum) = 0;
    virtual void SetBarPosition(int32_t position) = 0;
    virtual int32_t BarMax() const = 0;

    virtual void ShowMainWindow() = 0;
    virtual void HideMainWindow() = 0;
    // The window in its start-up shape, visible: a launcher that waits must
    // be seen to wait, and can be closed.
    virtual void ShowWaiting() = 0;
    // Whether the user closed the window or the program's end was requested.
    virtual bool EndRequested() const = 0;

    // The two-second wait timer: switched on by the launch, off by its tick.
    virtual void StartWaitTimer() = 0;
    virtual bool WaitTimerOn() const = 0;
    // Blocks until at least one message is pending.
    virtual void WaitForMessage() = 0;
};

} // namespace vorlund

#pragma once
// What the copy needs of a window, for a console: its progress as a line
// at every tenth of the way, and no window at all.
#include "prepare/PrepareHost.h"

#include <functional>
#include <string>

namespace vorlund::publish {

class ConsoleHost : public PrepareHost {
  public:
    explicit ConsoleHost(std::function<void(const std::string&)> say) : say_(std::move(say)) {}

    void ShowMessage(std::string_view text, MessageType) override { say_(std::string(text)); }
    void ProcessMessages() override {}
    void SetBarRange(int32_t, int32_t maximum) override {
        maximum_ = maximum;
        shown_ = 0;
    }
    void SetBarPosition(int32_t position) override;
    int32_t BarMax() const override { return maximum_; }
    void ShowMainWindow() override {}
    void HideMainWindow() override {}
    void ShowWaiting() override {}
    bool EndRequested() const override { return false; }
    void StartWaitTimer() override {}
    bool WaitTimerOn() const override { return false; }
    void WaitForMessage() override {}

  private:
    std::function<void(const std::string&)> say_;
    int32_t maximum_ = 0;
    int shown_ = 0; // tenths already told
};

} // namespace vorlund::publish

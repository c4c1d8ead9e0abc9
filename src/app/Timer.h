#pragma once
// A window timer that is either on or off, like a timer component.
#include <windows.h>

#include <stdexcept>

namespace vorlund {

class Timer {
  public:
    Timer(UINT_PTR id, UINT interval) : id_(id), interval_(interval) {}
    void Bind(HWND owner) { owner_ = owner; }
    UINT_PTR Id() const { return id_; }
    UINT Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on) {
        if (on == enabled_)
            return;
        if (on && !SetTimer(owner_, id_, interval_, nullptr))
            throw std::runtime_error("Nicht gen\u00FCgend Timer verf\u00FCgbar");
        if (!on)
            KillTimer(owner_, id_);
        enabled_ = on;
    }

  private:
    HWND owner_ = nullptr;
    UINT_PTR id_;
    UINT interval_;
    bool enabled_ = false;
};

} // namespace vorlund

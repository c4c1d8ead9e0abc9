#pragma once
// One installation at a time per local copy on this PC and session: a second
// launcher that needs the same installation waits for the first, then
// decides afresh. Starts in other sessions or on other PCs are not held
// back; the unique partial file and the one-step replace keep them apart.
#include "win/Handles.h"

#include <string>

namespace vorlund {

class PrepareHost;

// A name for the lock on one local copy: the same for every spelling that
// differs only in the case of a to z.
std::string InstallLockName(const std::string& localCopy);

class InstallLock {
  public:
    // Waits, the window shown and serviced, until no other launcher installs
    // that copy, or until the user ends the program.
    InstallLock(PrepareHost& host, const std::string& localCopy);
    InstallLock(const InstallLock&) = delete;
    InstallLock& operator=(const InstallLock&) = delete;
    ~InstallLock();

    // The end of the program was asked for while waiting.
    bool Abandoned() const { return abandoned_; }
    // Lets the next launcher go on: the copy is in place and recorded.
    void Release();

  private:
    win::UniqueKernel mutex_;
    bool owned_ = false;
    bool abandoned_ = false;
};

} // namespace vorlund

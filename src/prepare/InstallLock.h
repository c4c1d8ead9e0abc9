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
    // Waits, the window serviced, until no other launcher installs that copy.
    InstallLock(PrepareHost& host, const std::string& localCopy);
    InstallLock(const InstallLock&) = delete;
    InstallLock& operator=(const InstallLock&) = delete;
    ~InstallLock();

  private:
    win::UniqueKernel mutex_;
    bool owned_ = false;
};

} // namespace vorlund

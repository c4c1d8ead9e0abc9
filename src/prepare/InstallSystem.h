#pragma once
// The file and registry operations of one installation, in one place: the
// launcher uses the real ones, and a test can make any single one of them
// fail the way the system would (a full disk, a lost share, a refused write).
#include "win/Handles.h"

#include <cstdint>
#include <string>

namespace vorlund {

class TRegistry;

class InstallSystem {
  public:
    virtual ~InstallSystem() = default;

    // The central copy, for reading. Other launchers may read it at the same
    // time; nobody may write it while it is open here.
    virtual win::File OpenSource(const std::string& path);
    // The partial file the bytes go to, emptied when it exists.
    virtual win::File CreatePartial(const std::string& path);
    // Exactly length bytes each; moving fewer is a failure.
    virtual bool Read(HANDLE file, char* buffer, DWORD length);
    virtual bool Write(HANDLE file, const char* buffer, DWORD length);
    virtual bool Flush(HANDLE file);
    virtual bool Close(win::File& file);
    // Puts the complete partial file in the local copy's place.
    virtual bool Rename(const std::string& from, const std::string& to);
    virtual bool DeleteOldCopy(const std::string& path);
    // Records the installed version; a refused write raises the registry error.
    virtual void WriteVersion(TRegistry& registry, int32_t version);

    static InstallSystem& Real();
};

} // namespace vorlund

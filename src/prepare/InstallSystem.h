#pragma once
// The file and registry operations of one installation, in one place: the
// launcher uses the real ones, and a test can make any single one of them
// fail the way the system would (a full disk, a lost share, a refused write,
// a virus scanner holding a file). Each operation returns its failure's
// reason with its result: the thread's last error would be overwritten by
// whatever call comes between.
#include "prepare/InstallRule.h"
#include "win/Handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vorlund {

class PrepareHost;
class TRegistry;

// ERROR_SUCCESS, or the system's reason for a failure.
struct Status {
    DWORD error = ERROR_SUCCESS;
    bool ok() const { return error == ERROR_SUCCESS; }
    // The result of a call that reports failure through the last error,
    // taken right after it.
    static Status Of(bool done) { return {done ? ERROR_SUCCESS : GetLastError()}; }
};

// A file opened, or the reason it could not be.
struct Opened {
    win::File file;
    DWORD error = ERROR_SUCCESS;
    // The file of a call that reports failure through the last error.
    static Opened Of(win::File file) {
        const DWORD error = file ? ERROR_SUCCESS : GetLastError();
        return {std::move(file), error};
    }
};

class InstallSystem {
  public:
    virtual ~InstallSystem() = default;

    // The size of a file, nothing when it cannot be reached.
    virtual std::optional<int64_t> FileSize(const std::string& path);
    // A directory of that name does not count as a file, nor the reverse.
    virtual bool IsFile(const std::string& path);
    virtual bool IsDirectory(const std::string& path);
    // Every missing level; what cannot be made shows when it is used.
    virtual void CreateDirectories(const std::string& path);
    // The names of the files in a directory that match a pattern (* and ?).
    virtual std::vector<std::string> FindFiles(const std::string& pattern);

    // Whether the old local copy may be replaced now: opened for deletion
    // without sharing, then closed again. Refused while anyone has it open.
    virtual Status ProbeReplace(const std::string& path);
    // Takes the read-only attribute off a file, which Windows would not
    // replace; success when the file is writable now or is not there.
    virtual Status ClearReadOnly(const std::string& path);
    // The central copy, for reading. Other launchers may read it at the same
    // time, and a publish may rename it; nobody may write it while it is
    // open here.
    virtual Opened OpenSource(const std::string& path);
    // Whether the path names the open file under another spelling.
    virtual bool NamesSameFile(HANDLE file, const std::string& path);
    // The file's length; its position is then at the start.
    virtual Status Size(HANDLE file, int64_t& size);
    // The partial file the bytes go to, emptied when it exists. It stays open
    // without delete sharing until it is renamed, so no other launcher can
    // take it for a leftover.
    virtual Opened CreatePartial(const std::string& path);
    // Exactly length bytes each; moving fewer is a failure.
    virtual Status Read(HANDLE file, char* buffer, DWORD length);
    virtual Status Write(HANDLE file, const char* buffer, DWORD length);
    virtual Status Flush(HANDLE file);
    virtual Status Close(win::File& file);
    // Puts the complete partial file, still open, in the local copy's place
    // in one step.
    virtual Status Rename(HANDLE partial, const std::string& to);
    virtual Status Remove(const std::string& path);
    // A new file with these bytes, flushed to the disk before it is closed.
    virtual Status WriteNew(const std::string& path, const std::string& bytes);
    virtual Status WriteMarker(const std::string& path, int32_t version,
                               const std::optional<InstalledProof>& proof = {});
    virtual std::optional<int32_t> ReadMarker(const std::string& path);
    // What the marker says the install verified, where it says it.
    std::optional<InstalledProof> ReadMarkerProof(const std::string& path);
    // The installed version, nothing when none is recorded; a value of the
    // wrong type raises the registry error.
    virtual std::optional<int32_t> ReadVersion(TRegistry& registry);
    // Records the installed version; a refused write raises the registry error.
    virtual void WriteVersion(TRegistry& registry, int32_t version);
    // Lets time pass before an operation is tried again, the window serviced.
    virtual void Pause(PrepareHost& host, DWORD milliseconds);

    static InstallSystem& Real();
};

} // namespace vorlund

#pragma once
// The entry preparation: narrowing the program list to the chosen entry, the
// ODBC user data source, the version check with installation, the copy with
// progress, and the shell's open request.
#include "config/ProgramList.h"
#include "prepare/InstallSystem.h"
#include "prepare/PrepareHost.h"
#include "prepare/PublishedCopy.h"
#include "prepare/RunState.h"

#include <string>

namespace vorlund {

inline constexpr const char* kOdbcIniKey = "\\SOFTWARE\\ODBC\\ODBC.INI\\";
inline constexpr const char* kOdbcDataSourcesKey = "\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
inline constexpr const char* kVersionKeyBase = "\\SOFTWARE\\KORVEL\\";

void LaunchProgram(PrepareHost& host, ProgramList& programs, RunState& run, int32_t id);

// Writes the entry's data source; false when its key cannot be opened or created.
bool RegisterOdbcDataSource(ProgramList& programs, RunState& run);

// Installs the central copy when the local one is missing or older. "Version"
// is recorded only once the new copy stands at the local copy path.
void CheckVersionAndInstall(PrepareHost& host, ProgramList& programs, RunState& run,
                            InstallSystem& system = InstallSystem::Real());

// What a copy came to: true when every byte stands at the destination.
struct CopyResult {
    bool copied = false;
    bool destinationInUse = false; // the complete copy could not replace the old one
    DWORD error = ERROR_SUCCESS;   // the system's reason for a failure
    int64_t bytes = 0;             // written to the partial file
    // The source is not the copy that was published: its size or its hash.
    std::string mismatch;
    // From the first byte read to the rename, where bytes moved: the copy's
    // own time, without what the user spent at a dialog.
    std::optional<int64_t> milliseconds;
    explicit operator bool() const { return copied; }

    static CopyResult Done(int64_t bytes) { return {true, false, ERROR_SUCCESS, bytes, {}, {}}; }
    static CopyResult Failed(DWORD error, int64_t bytes = 0) {
        return {false, false, error, bytes, {}, {}};
    }
    static CopyResult InUse(DWORD error, int64_t bytes = 0) {
        return {false, true, error, bytes, {}, {}};
    }
    static CopyResult NotPublished(std::string why, int64_t bytes = 0) {
        return {false, false, ERROR_SUCCESS, bytes, std::move(why), {}};
    }
};

class HashPipeline;

// The bytes of an open source into an open target in 64 KiB chunks, the
// window serviced and the bar moved between them, each piece handed to
// `hashing` (if any) as it is read. ERROR_SUCCESS, or why it stopped.
DWORD CopyChunks(PrepareHost& host, InstallSystem& system, HANDLE source, HANDLE target,
                 int64_t& copied, HashPipeline* hashing);

// Copies source to destination in 64 KiB chunks with progress. The bytes go
// to a partial file beside the destination that replaces it in one step only
// when complete, so the destination holds the old copy or the new one, never
// a half-written one. Other launchers may read the source at the same time.
// Refusals by a virus scanner or the like are waited out. With what was
// published, a source of another size is not copied at all, and the copy is
// hashed as it goes (the source read once) and put in place only when its
// SHA-256 is the published one.
CopyResult XCopyFile(PrepareHost& host, const std::string& source, const std::string& destination,
                     InstallSystem& system = InstallSystem::Real(),
                     const PublishedCopy& published = {});

// The program the shell's "open" of a document with this extension runs;
// empty when there is none.
std::string DocumentOpener(const std::string& extension);

// The file a program name starts: a path as it is, when the file is there;
// a bare name (MSACCESS.EXE) where the shell finds it, through the App
// Paths key of the user, then of the machine, then the search path. Empty
// when there is none.
std::string FindProgram(const std::string& program);

// A program to start instead of the shell's open of the document, when the
// entry names one (`accessexe`) or Access's switches (`accessargs`).
struct LaunchTarget {
    bool custom = false;
    std::string program; // as named; empty: the document's extension has no opener
    std::string found;   // the file it starts, empty when there is none
    std::string parameters;
    bool Custom() const { return custom; }
};
// For the run's local copy path.
LaunchTarget ChooseLaunchTarget(const RunState& run);

// Why the shell's start failed, as a system error: its last error, else its
// own code (SE_ERR_*), each mapped to the system error that means the same;
// never ERROR_SUCCESS.
DWORD ShellStartError(DWORD lastError, INT_PTR instApp);

// Waits two seconds, then asks the shell to open the local copy, or starts
// the entry's program with it; a refusal is reported. Hides the window in
// every case.
void LaunchStep(PrepareHost& host, RunState& run);

} // namespace vorlund

#include "config/Environment.h"
#include "prepare/InstallLock.h"
#include "prepare/InstallRule.h"
#include "prepare/Messages.h"
#include "prepare/PartialFiles.h"
#include "prepare/Preparation.h"
#include "prepare/Retry.h"
#include "win/Paths.h"

#include <windows.h>

namespace vorlund {
namespace {

// Every missing level, so that a per-user directory works on the first
// start. The results are not examined: a directory that cannot be made
// shows as the copy failure.
void createDirectories(const std::string& path) {
    for (size_t at = path.find('\\', 1); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    if (!path.empty() && path.back() != '\\')
        CreateDirectoryA(path.c_str(), nullptr);
}

int32_t recordedVersion(TRegistry& reg) {
    return reg.ValueExists("Version") ? reg.ReadInteger("Version") : 0;
}

bool installNeeded(const RunState& run, const std::string& local, InstallSystem& system) {
    return InstallNeeded({win::IsFile(local), run.installedVersion, run.configuredVersion,
                          system.ReadMarker(VersionMarkerPath(local))});
}

// The old copy, if any, can be replaced once the new one is complete; a
// program that holds it a moment (a virus scanner) is waited out.
bool oldCopyReplaceable(PrepareHost& host, InstallSystem& system, const std::string& local) {
    if (!win::IsFile(local))
        return true;
    const DWORD error = RetryWhileLocked(host, system, [&] { return system.ProbeReplace(local); });
    return !IsTransientLock(error);
}

// Paths the system cannot take whole are refused, never shortened.
bool tooLong(const std::string& path) {
    return path.size() >= MAX_PATH;
}

void recordInstalled(RunState& run, InstallSystem& system) {
    // The marker goes with the copy, "Version" with the user's profile. A
    // marker that cannot be written must not outlive the copy it described.
    const std::string marker = VersionMarkerPath(run.localPath);
    if (!system.WriteMarker(marker, run.configuredVersion))
        system.Remove(marker);
    system.WriteVersion(*run.registry, run.configuredVersion);
}

void deletionFailed(PrepareHost& host, RunState& run) {
    host.ShowMessage(texts::deletionFailed(run.displayName), MessageType::Warning);
    ++run.errorCount;
}

void install(PrepareHost& host, RunState& run, const EntryPaths& paths, InstallSystem& system) {
    host.ShowMessage(texts::announceNewVersion(run.displayName), MessageType::Information);

    const std::string local = paths.Local();
    if (!oldCopyReplaceable(host, system, local))
        return deletionFailed(host, run);
    RemoveLeftoverPartials(system, local);

    run.centralPath = paths.Central();
    run.localPath = local;
    CopyResult copy;
    if (!tooLong(run.centralPath) && !tooLong(run.localPath))
        copy = XCopyFile(host, run.centralPath, run.localPath, system);
    if (copy) {
        // Only now: a failed update keeps the old copy and the old number.
        recordInstalled(run, system);
        host.ShowMessage(texts::installSucceeded(run.displayName), MessageType::Information);
        ++run.errorCount; // the database starts on the next run, not this one
    } else if (copy.destinationInUse) {
        deletionFailed(host, run);
    } else {
        host.ShowMessage(texts::copyFailed(run.displayName, run.centralPath, run.installDir),
                         MessageType::Warning);
    }
}

} // namespace

void CheckVersionAndInstall(PrepareHost& host, ProgramList& programs, RunState& run,
                            InstallSystem& system) {
    TRegistry& reg = *run.registry;
    reg.OpenKey(kVersionKeyBase + programs.FieldAsString("DisplayName"), true);
    run.installedVersion = recordedVersion(reg);
    run.configuredVersion = programs.FieldAsInteger("version");
    const EntryPaths paths = ExpandEntryPaths(programs);
    run.installDir = paths.installDir;
    run.mdbName = paths.mdbName;
    run.config.reset(); // nothing reads the configuration file from here on

    if (!win::IsDirectory(run.installDir))
        createDirectories(run.installDir);
    if (!installNeeded(run, paths.Local(), system))
        return;

    // Another launcher of this user may be installing the same copy: wait for
    // it, then decide again with what it left.
    const InstallLock lock(host, paths.Local());
    run.installedVersion = recordedVersion(reg);
    if (!installNeeded(run, paths.Local(), system))
        return;
    run.copyNeeded = true;
    install(host, run, paths, system);
}

} // namespace vorlund

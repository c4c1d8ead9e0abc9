#include "prepare/Messages.h"
#include "prepare/Preparation.h"
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

void install(PrepareHost& host, ProgramList& programs, RunState& run, InstallSystem& system) {
    host.ShowMessage(texts::announceNewVersion(run.displayName), MessageType::Information);

    const std::string local = run.installDir + run.mdbName;
    if (win::IsFile(local) && !system.DeleteOldCopy(local)) {
        host.ShowMessage(texts::deletionFailed(run.displayName), MessageType::Warning);
        ++run.errorCount;
    }
    if (run.errorCount != 0)
        return;

    run.centralPath = programs.FieldAsString("mdbpath") + programs.FieldAsString("mdbName");
    run.localPath = local;
    if (XCopyFile(host, run.centralPath, run.localPath, system)) {
        // Only now: a failed update keeps the old number, so the next start
        // installs again instead of opening the old copy.
        system.WriteVersion(*run.registry, run.configuredVersion);
        host.ShowMessage(texts::installSucceeded(run.displayName), MessageType::Information);
        ++run.errorCount; // the database starts on the next run, not this one
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
    run.installedVersion = reg.ValueExists("Version") ? reg.ReadInteger("Version") : 0;
    run.configuredVersion = programs.FieldAsInteger("version");
    run.installDir = programs.FieldAsString("tmpdir");
    run.mdbName = programs.FieldAsString("mdbname");
    run.config.reset(); // nothing reads the configuration file from here on

    if (!win::IsDirectory(run.installDir))
        createDirectories(run.installDir);

    if (!win::IsFile(run.installDir + run.mdbName))
        run.copyNeeded = true;
    if (run.configuredVersion > run.installedVersion)
        run.copyNeeded = true;
    if (run.copyNeeded)
        install(host, programs, run, system);
}

} // namespace vorlund

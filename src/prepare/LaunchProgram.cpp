#include "config/Environment.h"
#include "config/ReadProgramm.h"
#include "prepare/InstallTarget.h"
#include "prepare/Messages.h"
#include "prepare/Preparation.h"
#include "prepare/RunLogFile.h"
#include "prepare/TrustedLocation.h"

namespace vorlund {
namespace {

// An entry that names no data source, no database file or no name can be
// neither registered nor installed: nothing is written and nothing starts.
bool refusedForMissingKeys(PrepareHost& host, const ProgramList& programs, RunState& run) {
    const std::vector<std::string> missing = MissingRequiredKeys(programs);
    if (missing.empty())
        return false;
    const std::string detail = "fehlt in der Konfiguration: " + ListedKeys(missing);
    ++run.errorCount;
    if (missing.front() == "odbcname") {
        NoteOutcome(run, RunResult::OdbcFailed, detail);
        host.ShowMessage(texts::kOdbcWarning, MessageType::Warning);
    } else {
        NoteOutcome(run, RunResult::FaultyConfiguration, detail);
        host.ShowMessage(texts::kFaultyConfiguration, MessageType::Error);
    }
    return true;
}

// An installation directory that is none of its own (no tmpdir, a relative
// one, the central copy's): nothing is created, recorded or opened.
bool refusedForInstallDirectory(PrepareHost& host, RunState& run, const EntryPaths& paths) {
    const InstallDirFault fault = InstallTargetFault(paths);
    if (fault == InstallDirFault::None)
        return false;
    NoteOutcome(run, RunResult::CopyFailed, InstallDirFaultText(fault, paths.installDir));
    host.ShowMessage(texts::copyFailed(run.displayName, paths.Central(), paths.installDir),
                     MessageType::Warning);
    ++run.errorCount; // no launch
    return true;
}

// The administrator has locked the application (gesperrt= in its entry, or
// in [SETUP] for all): the user is told why, and nothing is written or started.
bool refusedAsLocked(PrepareHost& host, const ProgramList& programs, RunState& run) {
    std::string why = programs.FieldAsString("gesperrt");
    if (why.empty() && run.config)
        why = run.config->ReadString("SETUP", "gesperrt", "");
    if (why.empty())
        return false;
    NoteOutcome(run, RunResult::Locked, why);
    host.ShowMessage(texts::locked(run.displayName, why), MessageType::Information);
    ++run.errorCount;
    return true;
}

} // namespace

bool RegisterOdbcDataSource(ProgramList& programs, RunState& run) {
    TRegistry& reg = *run.registry;
    const std::string name = programs.FieldAsString("OdbcName");
    if (!reg.OpenKey(kOdbcIniKey + name, true))
        return false;
    reg.WriteString("Database", programs.FieldAsString("OdbcPath"));
    reg.WriteString("CharacterSet", programs.FieldAsString("OdbcCharacterset"));
    reg.WriteString("Driver", run.driverPath);
    reg.WriteString("Role", programs.FieldAsString("odbcRole"));
    reg.CloseKey();
    reg.OpenKey(kOdbcDataSourcesKey, true); // a failure shows in the write below
    reg.WriteString(name, std::string(texts::kOdbcDriverName));
    return true;
}

void LaunchProgram(PrepareHost& host, ProgramList& programs, RunState& run, int32_t id) {
    programs.SetFilter("ID=" + std::to_string(id));
    programs.SetFiltered(true);
    if (programs.RecordCount() != 1)
        return;

    run.displayName = programs.FieldAsString("DisplayName");
    run.log.application = run.displayName;
    if (refusedAsLocked(host, programs, run) || refusedForMissingKeys(host, programs, run))
        return;
    run.registry->SetAccess(KEY_ALL_ACCESS);
    run.registry->SetRootKey(HKEY_CURRENT_USER);
    if (NamesDataSource(programs) && !RegisterOdbcDataSource(programs, run))
        ++run.errorCount;

    if (run.errorCount != 0) {
        NoteOutcome(run, RunResult::OdbcFailed);
        host.ShowMessage(texts::kOdbcWarning, MessageType::Warning);
        return;
    }
    run.registry->CloseKey();
    run.accessExe = programs.FieldAsString("accessexe");
    run.accessArgs = programs.FieldAsString("accessargs");
    const EntryPaths paths = ExpandEntryPaths(programs);
    if (!refusedForInstallDirectory(host, run, paths)) {
        if (programs.FieldAsInteger("trustedlocation") == 1) {
            // Not an error of the run: without it Access only asks more.
            // What Access must trust is the directory the copy lies in.
            if (const DWORD error = EnsureTrustedLocation(
                    TrustedLocationStore::Real(), DirectoryOf(paths.Local()), run.displayName))
                NoteOutcome(run, RunResult::NotTrusted, error);
        }
        CheckVersionAndInstall(host, programs, run);
    }
    LaunchStep(host, run);
}

} // namespace vorlund

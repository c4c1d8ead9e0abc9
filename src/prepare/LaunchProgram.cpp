#include "config/Environment.h"
#include "prepare/Messages.h"
#include "prepare/Preparation.h"
#include "prepare/RunLogFile.h"
#include "prepare/TrustedLocation.h"

namespace vorlund {

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
    run.registry->SetAccess(KEY_ALL_ACCESS);
    run.registry->SetRootKey(HKEY_CURRENT_USER);
    if (!RegisterOdbcDataSource(programs, run))
        ++run.errorCount;

    if (run.errorCount != 0) {
        NoteOutcome(run, RunResult::OdbcFailed);
        host.ShowMessage(texts::kOdbcWarning, MessageType::Warning);
        return;
    }
    run.registry->CloseKey();
    run.accessExe = programs.FieldAsString("accessexe");
    run.accessArgs = programs.FieldAsString("accessargs");
    if (programs.FieldAsInteger("trustedlocation") == 1) {
        // Not an error of the run: without it Access only asks more.
        const std::string dir = ExpandEntryPaths(programs).installDir;
        if (const DWORD error =
                EnsureTrustedLocation(TrustedLocationStore::Real(), dir, run.displayName))
            NoteOutcome(run, RunResult::NotTrusted, error);
    }
    CheckVersionAndInstall(host, programs, run);
    LaunchStep(host, run);
}

} // namespace vorlund

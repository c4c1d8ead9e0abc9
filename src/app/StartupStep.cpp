#include "app/Form1.h"

#include "config/ConfigPath.h"
#include "config/ReadProgramm.h"
#include "prepare/DriverPath.h"
#include "prepare/Messages.h"
#include "prepare/RunLogFile.h"
#include "ui/Application.h"
#include "ui/MessageDialog.h"
#include "version.h"
#include "win/Paths.h"

namespace vorlund {
// The start-up step: runs once, on the first tick of Timer1, and carries the
// whole run from reading the configuration to the end of the program.
void TForm1::Timer1Timer() {
    Timer1.SetEnabled(false);
    RunState run;
    try {
        runStartupStep(run);
    } catch (...) {
        // The default error box reports it where the tick is dispatched; the
        // run log must show that this station did not start.
        NoteAbort(run, Application::ExceptionText(std::current_exception()));
        AppendRunLog(run, VORLUND_VERSION_STRING);
        throw;
    }
    AppendRunLog(run, VORLUND_VERSION_STRING);
    run.registry.reset();
    Application::instance().Terminate();
}

void TForm1::runStartupStep(RunState& run) {
    run.registry = std::make_unique<TRegistry>();
    run.sections.clear();
    run.errorCount = 0;
    const std::string exe = win::ModuleFileName();
    run.programDir = programDirectory(exe);
    run.configPath = configFilePath(exe);
    run.config = std::make_unique<IniFile>(run.configPath, kMissingConfigurationPatience);
    run.config->ReadSections(run.sections);
    run.logDir = run.config->ReadString("SETUP", "logdir", ""); // before anything can fail
    run.driverPath = DetermineDriverPath(*run.registry);

    const std::string banner = run.config->ReadString("SETUP", "JpegImage", "");
    if (!banner.empty())
        LoadBanner(run.programDir + banner); // a banner that fails to load stays empty

    run.entrySections = LoadProgramEntries(
        run.sections, [&](const std::string& section) { ReadProgramm(*run.config, section); });

    const int32_t entries = tPrograms.RecordCount();
    if (entries == 0) {
        NoteOutcome(run, RunResult::FaultyConfiguration);
        ShowMessageDialog(texts::kFaultyConfiguration, MessageType::Error, mbOK, 0);
    } else if (entries == 1) {
        LaunchProgram(run, tPrograms.FieldAsInteger("ID"));
    } else {
        HideMainWindow();
        SetOuterHeight(kSelectionHeight);
        SetSelectionVisible(true);
        if (ShowModal() == mrOk)
            LaunchProgram(run, tPrograms.FieldAsInteger("id"));
        else
            NoteOutcome(run, RunResult::Left);
    }
}

} // namespace vorlund

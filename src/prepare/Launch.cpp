#include "config/Environment.h"
#include "prepare/LaunchCommand.h"
#include "prepare/Messages.h"
#include "prepare/Preparation.h"
#include "prepare/RunLogFile.h"
#include "win/Paths.h"
#include "win/Unicode.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

namespace vorlund {

DWORD ShellStartError(DWORD lastError, INT_PTR instApp) {
    if (lastError != ERROR_SUCCESS) // where the shell sets one, it says most
        return lastError;
    switch (instApp) {
    case SE_ERR_FNF: // these are the system's own numbers
    case SE_ERR_PNF:
    case SE_ERR_ACCESSDENIED:
    case SE_ERR_OOM:
    case ERROR_BAD_FORMAT:
        return static_cast<DWORD>(instApp);
    case SE_ERR_SHARE:
        return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
        return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
        return ERROR_TIMEOUT;
    case SE_ERR_DDEFAIL:
        return ERROR_DDE_FAIL;
    case SE_ERR_DDEBUSY:
        return ERROR_BUSY;
    case SE_ERR_DLLNOTFOUND:
        return ERROR_DLL_NOT_FOUND;
    default: // none at all, or none the shell documents: a failure all the same
        return ERROR_UNIDENTIFIED_ERROR;
    }
}

std::string DocumentOpener(const std::string& extension) {
    wchar_t program[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (extension.empty() ||
        FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE,
                                 win::Wide(extension).c_str(), L"open", program, &length)))
        return {};
    return win::Narrow(program);
}

namespace {

// ERROR_SUCCESS, or why nothing was started. The shell finishes what it
// starts (DDE, a shell extension) before it returns: the launcher ends
// right after.
DWORD shellStart(const wchar_t* verb, const std::string& file, const std::string& parameters,
                 const std::string& directory) {
    const std::wstring wideFile = win::Wide(file), wideParameters = win::Wide(parameters),
                       wideDirectory = win::Wide(directory);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI; // the launcher reports a refusal itself
    info.lpVerb = verb;
    info.lpFile = wideFile.c_str();
    info.lpParameters = wideParameters.c_str();
    info.lpDirectory = wideDirectory.c_str();
    info.nShow = SW_SHOWNORMAL;
    // The shell does not always set a last error: an older one must not pass
    // for it.
    SetLastError(ERROR_SUCCESS);
    if (ShellExecuteExW(&info))
        return ERROR_SUCCESS;
    const DWORD lastError = GetLastError();
    return ShellStartError(lastError, reinterpret_cast<INT_PTR>(info.hInstApp));
}

} // namespace

namespace {

constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// The default value of the program's App Paths key, unquoted. RRF_RT_REG_SZ
// takes a REG_EXPAND_SZ too and expands it.
std::string appPath(HKEY root, const std::string& name) {
    wchar_t data[MAX_PATH * 2] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(root, win::Wide(kAppPaths + name).c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                     data, &size) != ERROR_SUCCESS)
        return {};
    std::string path = win::Narrow(data);
    std::erase(path, '"');
    return path;
}

std::string onSearchPath(const std::string& name) {
    wchar_t found[MAX_PATH] = {};
    const DWORD n =
        SearchPathW(nullptr, win::Wide(name).c_str(), L".exe", MAX_PATH, found, nullptr);
    return n > 0 && n < MAX_PATH ? win::Narrow(std::wstring_view(found, n)) : std::string();
}

} // namespace

std::string FindProgram(const std::string& program) {
    if (program.find_first_of("\\/:") != std::string::npos)
        return win::IsFile(program) ? program : std::string();
    if (program.empty())
        return {};
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        if (const std::string path = appPath(root, program); !path.empty() && win::IsFile(path))
            return path;
    return onSearchPath(program);
}

LaunchTarget ChooseLaunchTarget(const RunState& run) {
    if (run.accessExe.empty() && run.accessArgs.empty())
        return {};
    LaunchTarget target;
    target.custom = true;
    target.program = run.accessExe.empty() ? DocumentOpener(ExtensionOf(run.localPath))
                                           : ExpandEnvironment(run.accessExe);
    target.found = FindProgram(target.program);
    target.parameters = LaunchParameters(run.localPath, ExpandEnvironment(run.accessArgs));
    return target;
}

void LaunchStep(PrepareHost& host, RunState& run) {
    if (run.errorCount == 0) {
        run.localPath = run.installDir + run.mdbName;
        run.workingDir = run.installDir;
        host.StartWaitTimer();
        while (host.WaitTimerOn()) {
            host.ProcessMessages();
            if (host.WaitTimerOn())
                host.WaitForMessage();
        }
        // A refusal (no file, no program for its type, no access, a program
        // that is not there) started nothing, so the user is told.
        const LaunchTarget target = ChooseLaunchTarget(run);
        DWORD error = ERROR_SUCCESS;
        if (!target.Custom())
            error = shellStart(L"open", run.localPath, "", run.workingDir);
        else if (target.found.empty())
            error = ERROR_FILE_NOT_FOUND;
        else // the program found, by its full path: what the check names is what starts,
             // and no file of that name in the working directory or on PATH comes first
            error = shellStart(nullptr, target.found, target.parameters, run.workingDir);
        if (error == ERROR_SUCCESS) {
            NoteOutcome(run, RunResult::Started);
        } else {
            NoteOutcome(run, RunResult::StartFailed, error);
            host.ShowMessage(texts::kStartFailed, MessageType::Error);
        }
    }
    host.HideMainWindow();
}

} // namespace vorlund

#include "prepare/RunLogFile.h"

#include "config/Environment.h"
#include "prepare/RunLogWriter.h"
#include "win/Clock.h"
#include "win/Handles.h"
#include "win/Paths.h"
#include "win/SystemText.h"
#include "win/Unicode.h"

#include <memory>

namespace vorlund {
namespace {

constexpr DWORD kLongestWait = 1000;

int64_t millisecondsSinceStart() {
    FILETIME created{}, unused{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(now) - ticks(created)) / 10000;
}

template <typename Char, typename Get> std::basic_string<Char> systemName(Get get) {
    Char name[256] = {};
    DWORD size = 256;
    return get(name, &size) ? std::basic_string<Char>(name) : std::basic_string<Char>();
}

struct LogJob {
    std::string directory; // ends in a backslash
    std::wstring fileName;
    std::string line;
};

DWORD WINAPI writeLine(void* parameter) {
    const std::unique_ptr<LogJob> job(static_cast<LogJob*>(parameter));
    win::CreateDirectoryChain(job->directory);
    AppendLogLine(win::Wide(job->directory) + job->fileName, job->line);
    return 0;
}

} // namespace

void NoteOutcome(RunState& run, RunResult result, DWORD error) {
    NoteOutcome(run, result, error != ERROR_SUCCESS ? win::SystemText(error) : std::string());
}

void NoteOutcome(RunState& run, RunResult result, const std::string& detail) {
    if (IsFailure(run.log.result) || (IsNote(run.log.result) && !IsFailure(result)))
        return;
    run.log.result = result;
    run.log.detail = detail;
    run.log.milliseconds = millisecondsSinceStart();
}

void NoteAbort(RunState& run, const std::string& text) {
    run.log.result = RunResult::Aborted;
    run.log.detail = text;
    run.log.milliseconds = millisecondsSinceStart();
}

void AppendRunLog(const RunState& run, const std::string& starter) {
    if (run.logDir.empty() || run.log.result == RunResult::None)
        return;
    auto job = std::make_unique<LogJob>();
    job->directory = ExpandEnvironment(run.logDir);
    if (job->directory.empty())
        return; // a variable with an empty value: no log folder
    if (job->directory.back() != '\\')
        job->directory += '\\';
    // The names as Windows has them, whatever their script.
    const std::wstring computer = systemName<wchar_t>(GetComputerNameW);
    const std::wstring user = systemName<wchar_t>(GetUserNameW);
    job->fileName = computer + L"_" + user + L".log";

    RunRecord record = run.log;
    record.time = win::LocalTimeText();
    record.computer = win::Narrow(computer);
    record.user = win::Narrow(user);
    record.starter = starter;
    job->line = FormatRunLine(record);

    // On a thread of its own: a share that does not answer can block an open
    // for half a minute, and the run must not wait for it.
    const win::UniqueKernel writer(CreateThread(nullptr, 0, writeLine, job.get(), 0, nullptr));
    if (!writer)
        return;
    job.release(); // the thread owns it now
    WaitForSingleObject(writer.get(), kLongestWait);
}

} // namespace vorlund

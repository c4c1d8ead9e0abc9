#include "check/FleetFiles.h"

#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Unicode.h"

#include <memory>

namespace vorlund::check {
namespace {

constexpr DWORD kBlock = 1 << 20;

// Read while the launcher may be appending to it; a log of any size is read
// one block at a time.
std::vector<FleetRow>
readLog(const std::wstring& path, const std::string& name, char* block,
        const std::function<void(const std::string& file, const RunRecord& run)>& each) {
    win::File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    FleetLog log(
        each ? std::function<void(const RunRecord&)>([&](const RunRecord& run) { each(name, run); })
             : std::function<void(const RunRecord&)>());
    DWORD n = 0;
    while (ReadFile(file.get(), block, kBlock, &n, nullptr) && n > 0)
        log.Feed(std::string_view(block, n));
    return log.Finish(name);
}

} // namespace

bool ReadFleet(const std::string& folder, Fleet& fleet,
               const std::function<void(const std::string& file, const RunRecord& run)>& each) {
    if (!win::IsDirectory(folder))
        return false;
    const std::string dir = folder.back() == '\\' ? folder : folder + '\\';
    // Wide names: a log is named after its user, in whatever script.
    const std::wstring wideDir = win::Wide(dir);
    WIN32_FIND_DATAW data;
    const win::UniqueFind search(FindFirstFileW((wideDir + L"*.log").c_str(), &data));
    if (!search)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    const std::unique_ptr<char[]> block(new char[kBlock]);
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::string name = win::Narrow(data.cFileName);
        std::vector<FleetRow> rows = readLog(wideDir + data.cFileName, name, block.get(), each);
        if (rows.empty())
            fleet.passedOver.push_back(name);
        fleet.rows.insert(fleet.rows.end(), rows.begin(), rows.end());
    } while (FindNextFileW(search.get(), &data));
    return true;
}

} // namespace vorlund::check

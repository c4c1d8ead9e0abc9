#include "fleet/FleetFiles.h"

#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Unicode.h"

#include <memory>

namespace vorlund::fleet {
namespace {

constexpr DWORD kBlock = 1 << 20;

// Read while the launcher may be appending to it; a log of any size is read
// one block at a time.
bool readLog(const std::wstring& path, const std::string& name, char* block,
             const std::function<void(const std::string& file, const RunRecord& run)>& each,
             Fleet& fleet) {
    win::File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    FleetLog log(
        each ? std::function<void(const RunRecord&)>([&](const RunRecord& run) { each(name, run); })
             : std::function<void(const RunRecord&)>());
    DWORD n = 0;
    while (ReadFile(file.get(), block, kBlock, &n, nullptr) && n > 0)
        log.Feed(std::string_view(block, n));
    const std::vector<FleetRow> rows = log.Finish(name);
    const std::vector<PublishLine> publishes = log.Publishes(name);
    fleet.rows.insert(fleet.rows.end(), rows.begin(), rows.end());
    fleet.publishes.insert(fleet.publishes.end(), publishes.begin(), publishes.end());
    return !rows.empty() || !publishes.empty();
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
        if (!readLog(wideDir + data.cFileName, name, block.get(), each, fleet))
            fleet.passedOver.push_back(name);
    } while (FindNextFileW(search.get(), &data));
    return true;
}

} // namespace vorlund::fleet

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
std::optional<FleetRow> readLog(const std::wstring& path, char* block) {
    win::File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    FleetLog log;
    DWORD n = 0;
    while (ReadFile(file.get(), block, kBlock, &n, nullptr) && n > 0)
        log.Feed(std::string_view(block, n));
    return log.Finish();
}

} // namespace

bool ReadFleet(const std::string& folder, std::vector<FleetRow>& rows) {
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
        if (std::optional<FleetRow> row = readLog(wideDir + data.cFileName, block.get()))
            rows.push_back(*row);
    } while (FindNextFileW(search.get(), &data));
    return true;
}

} // namespace vorlund::check

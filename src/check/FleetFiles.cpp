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
std::optional<FleetRow> readLog(const std::string& path, char* block) {
    win::File file =
        win::OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
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
    const std::optional<std::vector<std::string>> names = win::FileNames(dir + "*.log");
    if (!names)
        return false;
    const std::unique_ptr<char[]> block(new char[kBlock]);
    for (const std::string& name : *names)
        if (std::optional<FleetRow> row = readLog(dir + name, block.get()))
            rows.push_back(*row);
    return true;
}

} // namespace vorlund::check

#include "prepare/PartialFiles.h"

#include "base/AsciiText.h"
#include "prepare/InstallSystem.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vorlund {
namespace {

constexpr std::string_view kSuffix = ".partial";

// "<name>.partial" (an earlier release's) or "<name>.<digits>.partial".
bool isPartialOf(std::string_view name, std::string_view candidate) {
    if (candidate.size() < name.size() + kSuffix.size() ||
        !equalsIgnoreAsciiCase(candidate.substr(0, name.size()), name) ||
        !equalsIgnoreAsciiCase(candidate.substr(candidate.size() - kSuffix.size()), kSuffix))
        return false;
    std::string_view middle = candidate.substr(name.size());
    middle.remove_suffix(kSuffix.size());
    if (middle.empty())
        return true;
    return middle.size() > 1 && middle[0] == '.' &&
           std::all_of(middle.begin() + 1, middle.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string PartialCopyPath(const std::string& destination) {
    return destination + "." + std::to_string(GetCurrentProcessId()) + std::string(kSuffix);
}

void RemoveLeftoverPartials(InstallSystem& system, const std::string& destination) {
    const size_t slash = destination.find_last_of('\\');
    const std::string dir = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    const std::string name = destination.substr(dir.size());
    for (const std::string& file : system.FindFiles(destination + "*" + std::string(kSuffix)))
        if (isPartialOf(name, file))
            system.Remove(dir + file); // one still being written refuses: it is not a leftover
}

PartialFile::~PartialFile() {
    if (!placed_)
        system_.Remove(path_);
}

} // namespace vorlund

#include "prepare/PartialFiles.h"

#include "base/AsciiText.h"
#include "config/ReleaseHistory.h"
#include "prepare/InstallSystem.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vorlund {
namespace {

constexpr std::string_view kSuffix = ".partial";

// "<name><suffix>" (an earlier release's) or "<name>.<digits><suffix>".
bool isPerProcessFileOf(std::string_view name, std::string_view candidate,
                        std::string_view suffix) {
    if (candidate.size() < name.size() + suffix.size() ||
        !equalsIgnoreAsciiCase(candidate.substr(0, name.size()), name) ||
        !equalsIgnoreAsciiCase(candidate.substr(candidate.size() - suffix.size()), suffix))
        return false;
    std::string_view middle = candidate.substr(name.size());
    middle.remove_suffix(suffix.size());
    if (middle.empty())
        return true;
    return middle.size() > 1 && middle[0] == '.' &&
           std::all_of(middle.begin() + 1, middle.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The full paths of the per-process files of `path` with the suffix.
std::vector<std::string> perProcessFiles(InstallSystem& system, const std::string& path,
                                         std::string_view suffix) {
    const std::string dir = directoryOf(path);
    const std::string name = path.substr(dir.size());
    std::vector<std::string> found;
    for (const std::string& file : system.FindFiles(path + "*" + std::string(suffix)))
        if (isPerProcessFileOf(name, file, suffix))
            found.push_back(dir + file);
    return found;
}

std::string perProcess(const std::string& path, std::string_view suffix) {
    return path + "." + std::to_string(GetCurrentProcessId()) + std::string(suffix);
}

} // namespace

std::string PartialCopyPath(const std::string& destination) {
    return perProcess(destination, kSuffix);
}

void RemoveLeftoverPartials(InstallSystem& system, const std::string& destination) {
    for (const std::string& file : perProcessFiles(system, destination, kSuffix))
        system.Remove(file); // one still being written refuses: it is not a leftover
}

std::string VorherPath(const std::string& central) {
    return central + ".vorher";
}

std::string AsidePath(const std::string& central) {
    return perProcess(VorherPath(central), ".alt");
}

std::string StagedConfigurationPath(const std::string& ini) {
    return perProcess(ini, ".neu");
}

std::string KeptConfigurationPath(const std::string& ini) {
    return perProcess(ini, ".alt");
}

std::vector<std::string> KeptConfigurations(InstallSystem& system, const std::string& ini) {
    return perProcessFiles(system, ini, ".alt");
}

PublishLeftovers FindPublishLeftovers(InstallSystem& system, const std::string& ini,
                                      const std::string& central) {
    PublishLeftovers left{perProcessFiles(system, central, kSuffix),
                          perProcessFiles(system, ini, ".neu"), KeptConfigurations(system, ini),
                          perProcessFiles(system, VorherPath(central), ".alt")};
    for (const std::string& record : perProcessFiles(system, ReleaseHistoryPath(central), ".neu"))
        left.staged.push_back(record);
    return left;
}

std::vector<std::string> PublishLeftovers::All() const {
    std::vector<std::string> all = partials;
    for (const auto* more : {&staged, &kept, &asides})
        all.insert(all.end(), more->begin(), more->end());
    return all;
}

PartialFile::~PartialFile() {
    if (!placed_)
        system_.Remove(path_);
}

} // namespace vorlund

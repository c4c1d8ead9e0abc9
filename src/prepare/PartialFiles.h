#pragma once
// The partial file a copy writes before it replaces the local copy: named
// per process beside the local copy, so that no two launchers ever write
// the same one, and removed on every path that does not put it in place.
#include <string>
#include <vector>

namespace vorlund {

class InstallSystem;

// "<local copy>.<process id>.partial"
std::string PartialCopyPath(const std::string& destination);

// Removes what killed runs left beside the local copy. A partial file that a
// running copy still writes is held without sharing and stays.
void RemoveLeftoverPartials(InstallSystem& system, const std::string& destination);

// The files a publish works with beside the central copy and the
// configuration, the per-process ones named like the partial copy: the
// release before (<mdbname>.vorher), an older one set aside while the
// publish runs, and the configuration's new text and its kept old one.
std::string VorherPath(const std::string& central);
std::string AsidePath(const std::string& central);
std::string StagedConfigurationPath(const std::string& ini);
std::string KeptConfigurationPath(const std::string& ini);

// What publishes that were ended midway left, by full path; the next
// publish clears them, the check names them.
struct PublishLeftovers {
    std::vector<std::string> partials; // copies beside the central copy
    std::vector<std::string> staged;   // new configurations never placed
    std::vector<std::string> kept;     // old configurations kept by copy
    std::vector<std::string> asides;   // releases before .vorher, set aside
    std::vector<std::string> All() const;
};
PublishLeftovers FindPublishLeftovers(InstallSystem& system, const std::string& ini,
                                      const std::string& central);
// The old configurations a publish kept by copy and left.
std::vector<std::string> KeptConfigurations(InstallSystem& system, const std::string& ini);

// Removes the partial file when it goes, unless it was put in place.
class PartialFile {
  public:
    PartialFile(InstallSystem& system, std::string path)
        : system_(system), path_(std::move(path)) {}
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    ~PartialFile();
    const std::string& Path() const { return path_; }
    void Placed() { placed_ = true; }

  private:
    InstallSystem& system_;
    std::string path_;
    bool placed_ = false;
};

} // namespace vorlund

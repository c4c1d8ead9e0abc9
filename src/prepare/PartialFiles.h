#pragma once
// The partial file a copy writes before it replaces the local copy: named
// per process beside the local copy, so that no two launchers ever write
// the same one, and removed on every path that does not put it in place.
#include <string>

namespace vorlund {

class InstallSystem;

// "<local copy>.<process id>.partial"
std::string PartialCopyPath(const std::string& destination);

// Removes what killed runs left beside the local copy. A partial file that a
// running copy still writes is held without sharing and stays.
void RemoveLeftoverPartials(InstallSystem& system, const std::string& destination);

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

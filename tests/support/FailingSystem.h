#pragma once
// The installation's operations with one of them failing the way the system
// would, its reason in the result only, and pauses that pass at once but are
// added up; every other call is the real one.
#include "prepare/InstallSystem.h"
#include "prepare/Registry.h"

namespace vorlund::testing {

enum class Op {
    None,
    IsFile,
    IsDirectory,
    CreateDirectories,
    FindFiles,
    Probe,
    OpenSource,
    SameFile,
    Size,
    CreatePartial,
    Read,
    Write,
    Flush,
    Close,
    Rename,
    Marker,
    ReadVersion,
    Version,
};

class FailingSystem : public InstallSystem {
  public:
    // op fails from its nth call on, `times` calls in a row (0: for good), with
    // the given error.
    explicit FailingSystem(Op op = Op::None, int nth = 1, int times = 0,
                           DWORD error = ERROR_GEN_FAILURE)
        : op_(op), nth_(nth), times_(times), error_(error) {}

    bool IsFile(const std::string& path) override {
        return !fails(Op::IsFile) && InstallSystem::IsFile(path);
    }
    bool IsDirectory(const std::string& path) override {
        return !fails(Op::IsDirectory) && InstallSystem::IsDirectory(path);
    }
    void CreateDirectories(const std::string& path) override {
        if (!fails(Op::CreateDirectories))
            InstallSystem::CreateDirectories(path);
    }
    std::vector<std::string> FindFiles(const std::string& pattern) override {
        return fails(Op::FindFiles) ? std::vector<std::string>()
                                    : InstallSystem::FindFiles(pattern);
    }
    bool NamesSameFile(HANDLE file, const std::string& path) override {
        return fails(Op::SameFile) || InstallSystem::NamesSameFile(file, path);
    }
    Status Size(HANDLE file, int64_t& size) override {
        return fails(Op::Size) ? failure() : InstallSystem::Size(file, size);
    }
    std::optional<int32_t> ReadVersion(TRegistry& registry) override {
        return fails(Op::ReadVersion) ? std::nullopt : InstallSystem::ReadVersion(registry);
    }
    Status ProbeReplace(const std::string& path) override {
        return fails(Op::Probe) ? failure() : InstallSystem::ProbeReplace(path);
    }
    Opened OpenSource(const std::string& path) override {
        return fails(Op::OpenSource) ? Opened{win::File(), error_}
                                     : InstallSystem::OpenSource(path);
    }
    Opened CreatePartial(const std::string& path) override {
        return fails(Op::CreatePartial) ? Opened{win::File(), error_}
                                        : InstallSystem::CreatePartial(path);
    }
    Status Read(HANDLE file, char* buffer, DWORD length) override {
        return fails(Op::Read) ? failure() : InstallSystem::Read(file, buffer, length);
    }
    Status Write(HANDLE file, const char* buffer, DWORD length) override {
        return fails(Op::Write) ? failure() : InstallSystem::Write(file, buffer, length);
    }
    Status Flush(HANDLE file) override {
        return fails(Op::Flush) ? failure() : InstallSystem::Flush(file);
    }
    Status Close(win::File& file) override {
        const Status closed = InstallSystem::Close(file);
        return fails(Op::Close) ? failure() : closed;
    }
    Status Rename(HANDLE partial, const std::string& to) override {
        return fails(Op::Rename) ? failure() : InstallSystem::Rename(partial, to);
    }
    Status WriteMarker(const std::string& path, int32_t version,
                       const std::optional<InstalledProof>& proof) override {
        return fails(Op::Marker) ? failure() : InstallSystem::WriteMarker(path, version, proof);
    }
    void WriteVersion(TRegistry& registry, int32_t version) override {
        if (fails(Op::Version))
            registry.CloseKey(); // the write then fails for real
        InstallSystem::WriteVersion(registry, version);
    }
    void Pause(PrepareHost&, DWORD milliseconds) override { paused += milliseconds; }

    DWORD paused = 0;

  private:
    bool fails(Op op) {
        if (op != op_)
            return false;
        ++calls_;
        // A stale last error, as any call between could leave: the result
        // alone must carry the reason.
        SetLastError(ERROR_ALREADY_EXISTS);
        return calls_ >= nth_ && (times_ == 0 || calls_ < nth_ + times_);
    }
    Status failure() const { return {error_}; }
    Op op_;
    int nth_, times_;
    DWORD error_;
    int calls_ = 0;
};

} // namespace vorlund::testing

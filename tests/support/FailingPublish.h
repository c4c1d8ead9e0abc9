#pragma once
// The publish's operations with one of them failing the way a share would,
// its reason in the result only; pauses pass at once but are added up,
// and they are the clock.
#include "publish/PublishSystem.h"

namespace vorlund::testing {

enum class PublishOp {
    None,
    CreatePartial,
    Write,
    Flush,
    HashOf,
    Replace,
    Move,
    WriteNew,
    Lock,
    Copy
};

class FailingPublish : public publish::PublishSystem {
  public:
    // op fails at its nth call and the times - 1 calls after it (and only
    // then), with the given error.
    explicit FailingPublish(PublishOp op = PublishOp::None, int nth = 1,
                            DWORD error = ERROR_DISK_FULL, int times = 1)
        : op_(op), nth_(nth), error_(error), times_(times) {}

    Opened CreatePartial(const std::string& path) override {
        return fails(PublishOp::CreatePartial) ? Opened{win::File(), error_}
                                               : PublishSystem::CreatePartial(path);
    }
    Status Write(HANDLE file, const char* buffer, DWORD length) override {
        return fails(PublishOp::Write) ? Status{error_}
                                       : PublishSystem::Write(file, buffer, length);
    }
    Status Flush(HANDLE file) override {
        return fails(PublishOp::Flush) ? Status{error_} : PublishSystem::Flush(file);
    }
    // A copy that reads back other than it was written.
    std::optional<std::string> HashOf(const std::string& path) override {
        return fails(PublishOp::HashOf) ? std::optional<std::string>(std::string(64, '0'))
                                        : PublishSystem::HashOf(path);
    }
    // A refused replace leaves the files as Windows documents for its code:
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT without a backup named takes the
    // replaced file away, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves it under
    // the backup's name, or without one under a name of Windows' choosing;
    // any other refusal changes nothing.
    Status Replace(const std::string& replaced, const std::string& replacement,
                   const std::string& backup) override {
        if (!fails(PublishOp::Replace))
            return PublishSystem::Replace(replaced, replacement, backup);
        if (error_ == ERROR_UNABLE_TO_MOVE_REPLACEMENT && backup.empty())
            DeleteFileA(replaced.c_str());
        if (error_ == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            MoveFileA(replaced.c_str(), (backup.empty() ? replaced + ".stray" : backup).c_str());
        return Status{error_};
    }
    Status Copy(const std::string& from, const std::string& to) override {
        return fails(PublishOp::Copy) ? Status{error_} : PublishSystem::Copy(from, to);
    }
    Status Move(const std::string& from, const std::string& to) override {
        return fails(PublishOp::Move) ? Status{error_} : PublishSystem::Move(from, to);
    }
    Status WriteNew(const std::string& path, const std::string& bytes) override {
        return fails(PublishOp::WriteNew) ? Status{error_} : PublishSystem::WriteNew(path, bytes);
    }
    Opened Lock(const std::string& path) override {
        return fails(PublishOp::Lock) ? Opened{win::File(), error_} : PublishSystem::Lock(path);
    }
    void Pause(PrepareHost&, DWORD milliseconds) override { paused += milliseconds; }
    // The clock goes only by the pauses: patience is the same in every run.
    uint64_t Now() override { return paused; }

    DWORD paused = 0;

  private:
    bool fails(PublishOp op) {
        if (op != op_)
            return false;
        SetLastError(ERROR_ALREADY_EXISTS); // a stale last error: the result carries the reason
        ++calls_;
        return calls_ >= nth_ && calls_ < nth_ + times_;
    }
    PublishOp op_;
    int nth_;
    DWORD error_;
    int times_;
    int calls_ = 0;
};

} // namespace vorlund::testing

#pragma once
// The file operations of a publish beyond those of an install, in one
// place: the tool uses the real ones, and a test can make any one of them
// fail the way the share would (full, gone, refusing a rename). Each
// returns its failure's reason with its result.
#include "prepare/InstallSystem.h"

#include <optional>
#include <string>

namespace vorlund::publish {

// What lies under a name, enough to tell whether it is still the file it
// was: a rename keeps both, a new file has its own time.
struct FileLook {
    int64_t size = 0;
    uint64_t written = 0; // the last write, in 100 ns since 1601
    bool operator==(const FileLook&) const = default;
};

class PublishSystem : public InstallSystem {
  public:
    // The replaced file takes the replacement's place in one step, keeping
    // its own permissions; the replaced one becomes `backup` when one is
    // named. ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 means the replaced file
    // already has the backup's name.
    virtual Status Replace(const std::string& replaced, const std::string& replacement,
                           const std::string& backup);
    // A copy of a file on the share, replacing one of that name.
    virtual Status Copy(const std::string& from, const std::string& to);
    // A rename that replaces nothing, written through.
    virtual Status Move(const std::string& from, const std::string& to);
    // The SHA-256 of the file, read anew through a handle of its own.
    virtual std::optional<std::string> HashOf(const std::string& path);
    virtual std::optional<std::string> ReadAll(const std::string& path);
    // Held while one publish works on an INI; refused with
    // ERROR_SHARING_VIOLATION while another holds it. Goes when closed.
    virtual Opened Lock(const std::string& path);
    // Whether the file carries the read-only attribute, which a replace
    // and a delete would be refused for.
    virtual bool IsReadOnly(const std::string& path);
    // Milliseconds of a clock that only goes forward: patience is counted
    // by it, so that slow attempts over a network count as the time they take.
    virtual uint64_t Now();
    // Whether the administrator asked the publish to stop (Ctrl+C,
    // Ctrl+Break, the console closed).
    virtual bool StopRequested();
    // Nothing when there is no file of that name.
    virtual std::optional<FileLook> Look(const std::string& path);
    // Where a path of a DFS namespace leads now: nothing when it is none,
    // an empty text when its target is unknown (a domain's namespace).
    virtual std::optional<std::string> DfsTarget(const std::string& path);

    static PublishSystem& Real();
};

} // namespace vorlund::publish

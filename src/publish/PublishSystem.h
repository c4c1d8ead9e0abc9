#pragma once
// The file operations of a publish beyond those of an install, in one
// place: the tool uses the real ones, and a test can make any one of them
// fail the way the share would (full, gone, refusing a rename). Each
// returns its failure's reason with its result.
#include "prepare/InstallSystem.h"

#include <optional>
#include <string>

namespace vorlund::publish {

class PublishSystem : public InstallSystem {
  public:
    // The replaced file takes the replacement's place in one step, keeping
    // its own permissions; the replaced one becomes `backup` when one is
    // named. ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 means the replaced file
    // already has the backup's name.
    virtual Status Replace(const std::string& replaced, const std::string& replacement,
                           const std::string& backup);
    // A rename that replaces nothing, written through.
    virtual Status Move(const std::string& from, const std::string& to);
    // The SHA-256 of the file, read anew through a handle of its own.
    virtual std::optional<std::string> HashOf(const std::string& path);
    virtual std::optional<std::string> ReadAll(const std::string& path);
    // Held while one publish works on an INI; refused with
    // ERROR_SHARING_VIOLATION while another holds it. Goes when closed.
    virtual Opened Lock(const std::string& path);

    static PublishSystem& Real();
};

} // namespace vorlund::publish

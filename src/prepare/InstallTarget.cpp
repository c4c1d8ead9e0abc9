#include "prepare/InstallTarget.h"

#include "win/Paths.h"
#include "win/Unicode.h"

namespace vorlund {

InstallDirFault InstallTargetFault(const EntryPaths& paths) {
    const std::string local = paths.Local(), central = paths.Central();
    const InstallDirFault fault =
        InstallDirectoryFault(paths.installDir, local, central, win::SameIgnoringCase);
    if (fault != InstallDirFault::None)
        return fault;
    // One file under two names: a mapped drive and its share, a short name.
    return win::SameFile(local, central) ? InstallDirFault::CentralCopy : InstallDirFault::None;
}

} // namespace vorlund

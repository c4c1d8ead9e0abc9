#include "fleet/ReportFile.h"

#include "prepare/InstallSystem.h"
#include "win/Unicode.h"

namespace vorlund::fleet {

DWORD WriteReplacing(const std::string& path, const std::string& bytes) {
    InstallSystem& system = InstallSystem::Real();
    const std::string temp = path + "." + std::to_string(GetCurrentProcessId()) + ".neu";
    system.Remove(temp); // one a crashed run of this process number left
    Status done = system.WriteNew(temp, bytes);
    if (done.ok())
        done = Status::Of(MoveFileExW(win::Wide(temp).c_str(), win::Wide(path).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    if (!done.ok())
        system.Remove(temp);
    return done.error;
}

} // namespace vorlund::fleet

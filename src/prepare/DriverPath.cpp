#include "prepare/DriverPath.h"

namespace vorlund {

std::string DetermineDriverPath(TRegistry& registry, const char* keyPath) {
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    registry.SetAccess(KEY_READ);
    if (!registry.OpenKey(keyPath, false))
        return {};
    std::string path = registry.ReadString("SystemRoot");
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path + "SYSTEM32\\ib6xtg10.dll";
}

} // namespace vorlund

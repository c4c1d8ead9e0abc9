#include "check/SharedAccess.h"

#include "win/Unicode.h"

#include <windows.h>
#include <aclapi.h>

#include <memory>

namespace vorlund::check {
namespace {

constexpr ACCESS_MASK kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool isOtherUsers(PSID sid) {
    for (const WELL_KNOWN_SID_TYPE type :
         {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid})
        if (IsWellKnownSid(sid, type))
            return true;
    return false;
}

// An allowing entry that applies to the object itself (not only to what is
// created inside it) and grants a changing right to one of those groups.
bool grantsChange(const ACE_HEADER* header) {
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
        return false;
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    return (ace->Mask & kChanging) && isOtherUsers(const_cast<DWORD*>(&ace->SidStart));
}

} // namespace

bool ChangeableByOtherUsers(const std::string& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(win::Wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&LocalFree)> owner(descriptor, &LocalFree);
    return LetsOtherUsersChange(dacl);
}

bool LetsOtherUsersChange(const ACL* dacl) {
    if (!dacl)
        return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(const_cast<ACL*>(dacl), i, &ace) && grantsChange(static_cast<ACE_HEADER*>(ace)))
            return true;
    }
    return false;
}

} // namespace vorlund::check

#include "check/SharedAccess.h"

#include "win/SystemText.h"
#include "win/Unicode.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace vorlund::check {
namespace {

constexpr ACCESS_MASK kChanging =
    FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

// Generic rights as the specific rights of a file they stand for, so that a
// deny of one takes away the other.
ACCESS_MASK specific(ACCESS_MASK mask) {
    GENERIC_MAPPING files{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                          FILE_ALL_ACCESS};
    MapGenericMask(&mask, &files);
    return mask;
}

bool isOneOf(PSID sid, std::initializer_list<WELL_KNOWN_SID_TYPE> types) {
    for (const WELL_KNOWN_SID_TYPE type : types)
        if (IsWellKnownSid(sid, type))
            return true;
    return false;
}

// Whoever may change the user's files anyway.
bool trusted(PSID sid, PSID self) {
    return (self && EqualSid(sid, self)) ||
           isOneOf(sid, {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinCreatorOwnerSid});
}

// Groups that every other user of the PC belongs to: a deny to them keeps
// everybody out.
bool everybody(PSID sid) {
    return isOneOf(sid,
                   {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid, WinInteractiveSid});
}

std::string nameOf(PSID sid) {
    wchar_t name[256], domain[256];
    DWORD nameLength = 256, domainLength = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
        return domainLength > 0 ? win::Narrow(domain) + "\\" + win::Narrow(name)
                                : win::Narrow(name);
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return "?";
    const win::UniqueLocal owner(text);
    return win::Narrow(text);
}

struct Denied {
    PSID sid;
    ACCESS_MASK mask;
};

} // namespace

std::vector<std::string> OthersWhoMayChange(const ACL* dacl, PSID self, PSID owner) {
    if (!dacl)
        return {"Jeder (keine Zugriffsliste)"};
    // Windows reads the entries in order: a deny before an allow takes its
    // rights away, one after it does not.
    std::vector<Denied> denied;
    std::vector<std::string> who;
    // OWNER RIGHTS replaces the owner's own rights with what it grants.
    bool ownerRightsListed = false, ownerRightsChange = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(dacl), i, &entry))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE) // for what is created inside only
            continue;
        // A conditional entry holds or not by claims this check cannot see:
        // its allow is named as such, its deny keeps nobody out for sure.
        const bool conditional = header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
        const bool allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE || conditional;
        if (!allows && header->AceType != ACCESS_DENIED_ACE_TYPE)
            continue;
        // All these kinds share the layout: header, mask, the SID's first word.
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        const PSID sid = const_cast<DWORD*>(&ace->SidStart);
        const bool ownerRights = IsWellKnownSid(sid, WinCreatorOwnerRightsSid);
        ownerRightsListed = ownerRightsListed || ownerRights; // a deny counts as well
        if (!allows) {
            denied.push_back({sid, specific(ace->Mask)});
            continue;
        }
        if (!ownerRights && trusted(sid, self))
            continue;
        ACCESS_MASK rights = specific(ace->Mask);
        for (const Denied& d : denied)
            if (everybody(d.sid) || EqualSid(d.sid, sid))
                rights &= ~d.mask;
        if (ownerRights)
            ownerRightsChange = ownerRightsChange || (rights & kChanging);
        else if (rights & kChanging)
            who.push_back(nameOf(sid) + (conditional ? " (unter einer Bedingung, die die "
                                                       "Pr\u00FCfung nicht beurteilen kann)"
                                                     : ""));
    }
    // The owner may always change the list itself, and with it the file,
    // unless OWNER RIGHTS grants it less.
    if (owner && (!ownerRightsListed || ownerRightsChange) && !trusted(owner, self))
        who.push_back(nameOf(owner) + " (Besitzer)");
    return who;
}

std::vector<std::string> OthersWhoMayChange(const std::string& path, bool countSelf) {
    PACL dacl = nullptr;
    PSID fileOwner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (const DWORD error =
            GetNamedSecurityInfoW(win::Wide(path).c_str(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION,
                                  &fileOwner, nullptr, &dacl, nullptr, &descriptor))
        return {"unbekannt (Zugriffsliste nicht lesbar: " + win::SystemText(error) + ")"};
    const win::UniqueLocal owner(descriptor);
    HANDLE token = nullptr;
    if (countSelf || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return OthersWhoMayChange(dacl, nullptr, fileOwner);
    const win::UniqueKernel tokenOwner(token);
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    const bool known = GetTokenInformation(token, TokenUser, buffer, size, &size);
    return OthersWhoMayChange(
        dacl, known ? reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid : nullptr, fileOwner);
}

} // namespace vorlund::check

#pragma once
// Which publishers this PC trusts, and whether one of them signed an
// entry's release. The keys come from the machine's policy, where only
// administrators and Group Policy write; the share and the configuration,
// which users may be able to write, cannot add one.
#include "config/ReleaseSignature.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

inline constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Vorlund";
inline constexpr wchar_t kPinnedKeysValue[] = L"Herausgeberschluessel";

struct PinnedKeys {
    // The value is there, or could not be read: every install then needs a
    // signature by one of `keys`.
    bool pinned = false;
    DWORD error = ERROR_SUCCESS; // the policy could not be read: nothing is trusted
    std::vector<Bytes> keys;
    std::vector<std::string> ids;    // of keys, in the same order
    std::vector<std::string> faulty; // lines that are no key
};

PinnedKeys ReadPinnedKeys();
// The lines of the policy's value as keys (REG_MULTI_SZ, or REG_SZ for one).
PinnedKeys PinnedKeysFrom(const std::vector<std::string>& lines);

struct SignatureVerdict {
    bool valid = false;
    std::string keyId; // the key that signed it, where one did
    std::string why;   // why not, in the run log's words
};
SignatureVerdict CheckReleaseSignature(const ReleaseRecord& record, std::string_view signature,
                                       const PinnedKeys& pins);
// A signed release below the one this PC has is an old record put back
// (its bytes lie on the share): releases only ever get higher numbers.
bool IsOlderThanInstalled(int32_t configured, int32_t installed);

} // namespace vorlund

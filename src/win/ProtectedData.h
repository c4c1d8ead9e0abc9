#pragma once
// Secrets protected for the account that protects them (DPAPI): only this
// user, on this PC or wherever the profile roams, can read them back.
#include "base/Hex.h"
#include "win/Ecdsa.h"

#include <windows.h>

#include <string_view>

namespace vorlund::win {

struct Protected {
    Bytes blob; // empty when it failed
    DWORD error = ERROR_SUCCESS;
};
Protected ProtectForUser(const SecretBytes& secret, std::wstring_view description);

struct Unprotected {
    SecretBytes secret;
    DWORD error = ERROR_SUCCESS; // another user's blob, or a changed one
};
Unprotected UnprotectForUser(const Bytes& blob);

} // namespace vorlund::win

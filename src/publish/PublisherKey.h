#pragma once
// The administrator's signing key and the file that keeps it: the public key
// in the open, as the policy pins it, the private key protected for the
// administrator's account (DPAPI). The file may be copied anywhere; only
// that account reads the key back, and never in plain text.
#include "config/ReleaseSignature.h"
#include "win/Ecdsa.h"

#include <optional>
#include <string>
#include <string_view>

namespace vorlund::publish {

struct SigningKey {
    win::EcdsaKey key;
    std::string publicKey; // "P256:..."
    std::string id;
};

// A new key pair and its file's text; or the words why not.
struct MadeKey {
    std::optional<SigningKey> key;
    std::string fileText;
    std::string error;
};
MadeKey MakeSigningKey();

// The key a file's text keeps, read back for this account; or the words why not.
struct LoadedKey {
    std::optional<SigningKey> key;
    std::string error;
};
LoadedKey LoadSigningKey(std::string_view fileText);

// signatur= for this record, already verified with the public key; nothing
// when CNG refused.
std::optional<std::string> SignRelease(const SigningKey& key, const ReleaseRecord& record);

} // namespace vorlund::publish

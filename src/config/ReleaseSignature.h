#pragma once
// A signed release: the record of what a workstation checks before it
// installs a central copy, signed by the administrator's key; the signatur=
// value that carries the signature with the key's id; a public key as one
// line of text, as the policy pins it. The share may be writable by every
// user, the policy is not: only a copy whose record a pinned key signed is
// installed.
#include "base/Hex.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlund {

inline constexpr size_t kPublicKeyBytes = 64; // X and Y of a P-256 point
inline constexpr size_t kSignatureBytes = 64; // r and s
inline constexpr size_t kKeyIdBytes = 8;      // the start of the public key's SHA-256

// Where a workstation's trusted keys lie, as the check and the texts name it.
inline constexpr char kPolicyName[] = "HKLM\\SOFTWARE\\Policies\\Vorlund\\Herausgeberschluessel";

// The values an install judges the central copy by, as the launcher reads
// them from the entry.
struct ReleaseRecord {
    std::string section; // as the configuration writes it
    std::string mdbName;
    int32_t version = 0;
    int64_t size = 0;
    std::string sha256; // 64 hexadecimal digits
    // The pilot ring's release: signed apart, so that it cannot be passed
    // off as the release for everyone.
    bool pilot = false;
};

// The bytes that are signed: a format tag, then one line per value in a
// fixed order. Nothing when a value could forge a line of its own (a line
// break in it), a size is negative or the hash is none: such an entry has
// no record a key could have signed.
std::optional<std::string> CanonicalRecord(const ReleaseRecord& record);

// "P256:" and the point's 128 hexadecimal digits.
std::string PublicKeyText(const Bytes& key);
std::optional<Bytes> ParsePublicKey(std::string_view text);

// signatur=: the signing key's id (16 hexadecimal digits), a colon, the
// signature (128).
struct ReleaseSignature {
    std::string keyId; // lower case
    Bytes signature;
};
std::string SignatureText(const ReleaseSignature& signature);
std::optional<ReleaseSignature> ParseSignature(std::string_view text);

} // namespace vorlund

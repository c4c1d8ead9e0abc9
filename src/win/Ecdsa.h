#pragma once
// ECDSA on the curve P-256 by Windows' own CNG, loaded from the system
// directory like the hash: a publisher's key pair, and the public key a
// workstation verifies with.
#include "base/Hex.h"

#include <optional>
#include <string>

namespace vorlund::win {

// Bytes that are a secret (a private key): wiped when they go.
class SecretBytes {
  public:
    SecretBytes() = default;
    explicit SecretBytes(Bytes bytes) : bytes_(std::move(bytes)) {}
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    SecretBytes(SecretBytes&& other) noexcept : bytes_(std::move(other.bytes_)) {
        other.bytes_.clear();
    }
    SecretBytes& operator=(SecretBytes&&) = delete;
    ~SecretBytes();
    const Bytes& get() const { return bytes_; }

  private:
    Bytes bytes_;
};

class EcdsaKey {
  public:
    static std::optional<EcdsaKey> Generate();
    // X and Y, 32 bytes each.
    static std::optional<EcdsaKey> FromPublic(const Bytes& point);
    // A whole key as PrivatePart() gave it.
    static std::optional<EcdsaKey> FromPrivate(const SecretBytes& part);

    EcdsaKey(EcdsaKey&& other) noexcept;
    EcdsaKey& operator=(EcdsaKey&&) = delete;
    EcdsaKey(const EcdsaKey&) = delete;
    ~EcdsaKey();

    // The point's X and Y: the key as a workstation pins it.
    std::optional<Bytes> PublicPoint() const;
    // The whole key, to be kept protected and never written out as it is.
    std::optional<SecretBytes> PrivatePart() const;
    // r and s over the SHA-256 of the message.
    std::optional<Bytes> Sign(const std::string& message) const;
    bool Verifies(const std::string& message, const Bytes& signature) const;

  private:
    explicit EcdsaKey(void* key) : key_(key) {}
    void* key_ = nullptr; // BCRYPT_KEY_HANDLE
};

// A public key's short name: the first 8 bytes of its SHA-256, in hex.
std::optional<std::string> KeyId(const Bytes& point);

} // namespace vorlund::win

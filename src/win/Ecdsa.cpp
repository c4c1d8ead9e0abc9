#include "win/Ecdsa.h"

#include "config/ReleaseSignature.h"
#include "win/DllSearch.h"
#include "win/Sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <utility>

namespace vorlund::win {
namespace {

struct Cng {
    HMODULE module = LoadSystemLibrary("bcrypt.dll");
    decltype(&::BCryptOpenAlgorithmProvider) open =
        Function<decltype(open)>(module, "BCryptOpenAlgorithmProvider");
    decltype(&::BCryptGenerateKeyPair) generate =
        Function<decltype(generate)>(module, "BCryptGenerateKeyPair");
    decltype(&::BCryptFinalizeKeyPair) finalize =
        Function<decltype(finalize)>(module, "BCryptFinalizeKeyPair");
    decltype(&::BCryptExportKey) exportKey =
        Function<decltype(exportKey)>(module, "BCryptExportKey");
    decltype(&::BCryptImportKeyPair) importKey =
        Function<decltype(importKey)>(module, "BCryptImportKeyPair");
    decltype(&::BCryptSignHash) sign = Function<decltype(sign)>(module, "BCryptSignHash");
    decltype(&::BCryptVerifySignature) verify =
        Function<decltype(verify)>(module, "BCryptVerifySignature");
    decltype(&::BCryptDestroyKey) destroy = Function<decltype(destroy)>(module, "BCryptDestroyKey");
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    Cng() {
        if (!open || !generate || !finalize || !exportKey || !importKey || !sign || !verify ||
            !destroy || open(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) < 0)
            algorithm = nullptr;
    }
};

const Cng& cng() {
    static const Cng instance;
    return instance;
}

constexpr ULONG kCoordinate = 32;

std::optional<Bytes> digestOf(const std::string& message) {
    Sha256 hash;
    hash.Update(message.data(), message.size());
    const std::optional<std::array<unsigned char, 32>> digest = hash.Digest();
    if (!digest)
        return std::nullopt;
    return Bytes(digest->begin(), digest->end());
}

std::optional<Bytes> exported(void* key, const wchar_t* type) {
    ULONG size = 0;
    if (cng().exportKey(key, nullptr, type, nullptr, 0, &size, 0) < 0)
        return std::nullopt;
    Bytes blob(size);
    if (cng().exportKey(key, nullptr, type, blob.data(), size, &size, 0) < 0)
        return std::nullopt;
    blob.resize(size);
    return blob;
}

void* imported(const wchar_t* type, const Bytes& blob) {
    const Cng& c = cng();
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!c.algorithm ||
        c.importKey(c.algorithm, nullptr, type, &key, const_cast<PUCHAR>(blob.data()),
                    static_cast<ULONG>(blob.size()), 0) < 0)
        return nullptr;
    return key;
}

} // namespace

SecretBytes::~SecretBytes() {
    if (!bytes_.empty())
        SecureZeroMemory(bytes_.data(), bytes_.size());
}

EcdsaKey::EcdsaKey(EcdsaKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

EcdsaKey::~EcdsaKey() {
    if (key_)
        cng().destroy(key_);
}

std::optional<EcdsaKey> EcdsaKey::Generate() {
    const Cng& c = cng();
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!c.algorithm || c.generate(c.algorithm, &key, 256, 0) < 0)
        return std::nullopt;
    EcdsaKey owned(key);
    if (c.finalize(key, 0) < 0)
        return std::nullopt;
    return owned;
}

std::optional<EcdsaKey> EcdsaKey::FromPublic(const Bytes& point) {
    if (point.size() != 2 * kCoordinate)
        return std::nullopt;
    Bytes blob(sizeof(BCRYPT_ECCKEY_BLOB));
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinate};
    std::memcpy(blob.data(), &header, sizeof header);
    blob.insert(blob.end(), point.begin(), point.end());
    void* key = imported(BCRYPT_ECCPUBLIC_BLOB, blob);
    if (!key)
        return std::nullopt;
    return EcdsaKey(key);
}

std::optional<EcdsaKey> EcdsaKey::FromPrivate(const SecretBytes& part) {
    BCRYPT_ECCKEY_BLOB header{};
    if (part.get().size() != sizeof header + 3 * kCoordinate)
        return std::nullopt;
    std::memcpy(&header, part.get().data(), sizeof header);
    if (header.dwMagic != BCRYPT_ECDSA_PRIVATE_P256_MAGIC || header.cbKey != kCoordinate)
        return std::nullopt;
    void* key = imported(BCRYPT_ECCPRIVATE_BLOB, part.get());
    if (!key)
        return std::nullopt;
    return EcdsaKey(key);
}

std::optional<Bytes> EcdsaKey::PublicPoint() const {
    const std::optional<Bytes> blob = exported(key_, BCRYPT_ECCPUBLIC_BLOB);
    if (!blob || blob->size() != sizeof(BCRYPT_ECCKEY_BLOB) + 2 * kCoordinate)
        return std::nullopt;
    return Bytes(blob->begin() + sizeof(BCRYPT_ECCKEY_BLOB), blob->end());
}

std::optional<SecretBytes> EcdsaKey::PrivatePart() const {
    std::optional<Bytes> blob = exported(key_, BCRYPT_ECCPRIVATE_BLOB);
    if (!blob)
        return std::nullopt;
    return SecretBytes(std::move(*blob));
}

std::optional<Bytes> EcdsaKey::Sign(const std::string& message) const {
    std::optional<Bytes> digest = digestOf(message);
    Bytes signature(kSignatureBytes);
    ULONG size = 0;
    if (!digest ||
        cng().sign(key_, nullptr, digest->data(), static_cast<ULONG>(digest->size()),
                   signature.data(), static_cast<ULONG>(signature.size()), &size, 0) < 0 ||
        size != kSignatureBytes)
        return std::nullopt;
    return signature;
}

bool EcdsaKey::Verifies(const std::string& message, const Bytes& signature) const {
    std::optional<Bytes> digest = digestOf(message);
    return digest && signature.size() == kSignatureBytes &&
           cng().verify(key_, nullptr, digest->data(), static_cast<ULONG>(digest->size()),
                        const_cast<PUCHAR>(signature.data()), static_cast<ULONG>(signature.size()),
                        0) == 0;
}

std::optional<std::string> KeyId(const Bytes& point) {
    Sha256 hash;
    hash.Update(point.data(), point.size());
    const std::optional<std::array<unsigned char, 32>> digest = hash.Digest();
    if (!digest)
        return std::nullopt;
    return ToHex(digest->data(), kKeyIdBytes);
}

} // namespace vorlund::win

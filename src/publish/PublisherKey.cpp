#include "publish/PublisherKey.h"

#include "win/ProtectedData.h"
#include "win/SystemText.h"

#include <vector>

namespace vorlund::publish {
namespace {

constexpr std::string_view kFileTag = "Vorlund-Herausgeberschluessel 1";

// The value of "name=" among the file's lines; nothing when it is missing.
std::optional<std::string> valueOf(std::string_view text, std::string_view name) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > name.size() && line.substr(0, name.size()) == name &&
            line[name.size()] == '=')
            return std::string(line.substr(name.size() + 1));
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<SigningKey> described(win::EcdsaKey key) {
    const std::optional<Bytes> point = key.PublicPoint();
    const std::optional<std::string> id = point ? win::KeyId(*point) : std::nullopt;
    if (!id)
        return std::nullopt;
    return SigningKey{std::move(key), PublicKeyText(*point), *id};
}

} // namespace

MadeKey MakeSigningKey() {
    std::optional<win::EcdsaKey> pair = win::EcdsaKey::Generate();
    if (!pair)
        return {std::nullopt, {}, "Windows (CNG) erzeugt kein ECDSA-P256-Schl\u00FCsselpaar."};
    const std::optional<win::SecretBytes> secret = pair->PrivatePart();
    std::optional<SigningKey> key = described(std::move(*pair));
    if (!secret || !key)
        return {std::nullopt, {}, "Windows (CNG) gibt den neuen Schl\u00FCssel nicht heraus."};
    const win::Protected kept = win::ProtectForUser(*secret, L"Vorlund-Herausgeberschl\u00FCssel");
    if (kept.blob.empty())
        return {std::nullopt,
                {},
                "Windows sch\u00FCtzt den Schl\u00FCssel nicht f\u00FCr dieses Konto (DPAPI): " +
                    win::SystemText(kept.error)};
    std::string text(kFileTag);
    text += "\r\nid=" + key->id + "\r\noeffentlich=" + key->publicKey +
            "\r\ngeschuetzt=" + ToHex(kept.blob) + "\r\n";
    return {std::move(key), std::move(text), {}};
}

LoadedKey LoadSigningKey(std::string_view text) {
    const std::optional<std::string> publicKey = valueOf(text, "oeffentlich");
    const std::optional<std::string> kept = valueOf(text, "geschuetzt");
    std::optional<Bytes> blob = kept ? FromHex(*kept, kept->size() / 2) : std::nullopt;
    if (text.substr(0, kFileTag.size()) != kFileTag || !publicKey || !blob || blob->empty())
        return {std::nullopt, "ist keine Schl\u00FCsseldatei von vorlundpublish /schluessel."};
    const win::Unprotected secret = win::UnprotectForUser(*blob);
    if (secret.error != ERROR_SUCCESS)
        return {std::nullopt,
                "l\u00E4sst sich von diesem Konto nicht lesen (DPAPI; nur das Konto, das "
                "den Schl\u00FCssel erzeugt hat, kann mit ihm signieren): " +
                    win::SystemText(secret.error)};
    std::optional<win::EcdsaKey> pair = win::EcdsaKey::FromPrivate(secret.secret);
    std::optional<SigningKey> key = pair ? described(std::move(*pair)) : std::nullopt;
    if (!key)
        return {std::nullopt, "enth\u00E4lt keinen ECDSA-P256-Schl\u00FCssel, den CNG annimmt."};
    // The open lines must name the key that is protected: a swapped line
    // would print one key and sign with another.
    if (key->publicKey != *publicKey || valueOf(text, "id") != key->id)
        return {std::nullopt, "nennt einen anderen \u00F6ffentlichen Schl\u00FCssel als den "
                              "gesch\u00FCtzten."};
    return {std::move(key), {}};
}

std::optional<std::string> SignRelease(const SigningKey& key, const ReleaseRecord& record) {
    const std::optional<std::string> bytes = CanonicalRecord(record);
    std::optional<Bytes> signature = bytes ? key.key.Sign(*bytes) : std::nullopt;
    if (!signature || !key.key.Verifies(*bytes, *signature))
        return std::nullopt;
    return SignatureText({key.id, std::move(*signature)});
}

} // namespace vorlund::publish

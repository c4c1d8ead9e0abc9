#include "config/ReleaseSignature.h"

#include "base/AsciiText.h"

namespace vorlund {
namespace {

constexpr std::string_view kRecordTag = "Vorlund-Freigabe 1\n";
constexpr std::string_view kKeyPrefix = "P256:";

bool breaksLine(std::string_view value) {
    return value.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

std::optional<std::string> CanonicalRecord(const ReleaseRecord& r) {
    if (breaksLine(r.section) || breaksLine(r.mdbName) || r.size < 0 || !FromHex(r.sha256, 32))
        return std::nullopt;
    std::string out(kRecordTag);
    out += "abschnitt=" + r.section + "\n";
    out += "mdbname=" + r.mdbName + "\n";
    out += "version=" + std::to_string(r.version) + "\n";
    out += "groesse=" + std::to_string(r.size) + "\n";
    out += "pruefsumme=" + asciiLower(r.sha256) + "\n";
    if (r.pilot)
        out += "ring=vorab\n";
    return out;
}

std::string PublicKeyText(const Bytes& key) {
    return std::string(kKeyPrefix) + ToHex(key);
}

std::optional<Bytes> ParsePublicKey(std::string_view text) {
    if (text.size() < kKeyPrefix.size() ||
        !equalsIgnoreAsciiCase(text.substr(0, kKeyPrefix.size()), kKeyPrefix))
        return std::nullopt;
    return FromHex(text.substr(kKeyPrefix.size()), kPublicKeyBytes);
}

std::string SignatureText(const ReleaseSignature& s) {
    return s.keyId + ":" + ToHex(s.signature);
}

std::optional<ReleaseSignature> ParseSignature(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::optional<Bytes> id = FromHex(text.substr(0, colon), kKeyIdBytes);
    std::optional<Bytes> signature = FromHex(text.substr(colon + 1), kSignatureBytes);
    if (!id || !signature)
        return std::nullopt;
    return ReleaseSignature{ToHex(*id), std::move(*signature)};
}

} // namespace vorlund

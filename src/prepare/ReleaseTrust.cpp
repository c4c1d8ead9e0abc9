#include "prepare/ReleaseTrust.h"

#include "base/AsciiText.h"
#include "win/Ecdsa.h"
#include "win/Handles.h"
#include "win/SystemText.h"
#include "win/Unicode.h"

#include <algorithm>

namespace vorlund {
namespace {

// The value's strings; ERROR_FILE_NOT_FOUND when there is no such policy.
DWORD policyLines(std::vector<std::string>& lines) {
    HKEY opened = nullptr;
    // The policy tree is one for 32- and 64-bit programs; ask for the 64-bit
    // view all the same.
    if (const LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, 0,
                                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened))
        return static_cast<DWORD>(rc);
    const win::UniqueKey key(opened);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key.get(), kPinnedKeysValue, nullptr, &type, nullptr, &size);
    std::wstring data;
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        // Room for an odd byte and for terminators the value may lack.
        data.assign(size / sizeof(wchar_t) + 2, L'\0');
        size = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
        rc = RegQueryValueExW(key.get(), kPinnedKeysValue, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_SUCCESS)
            break;
    }
    if (rc != ERROR_SUCCESS)
        return static_cast<DWORD>(rc);
    if (type != REG_MULTI_SZ && type != REG_SZ)
        return ERROR_INVALID_DATA;
    data.resize(size / sizeof(wchar_t));
    for (size_t start = 0; start < data.size();) {
        const size_t end = std::min(data.find(L'\0', start), data.size());
        if (const std::string line =
                std::string(trimBlanks(win::Narrow(data.substr(start, end - start))));
            !line.empty())
            lines.push_back(line);
        if (type == REG_SZ)
            break;
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

} // namespace

PinnedKeys PinnedKeysFrom(const std::vector<std::string>& lines) {
    PinnedKeys pins;
    pins.pinned = !lines.empty();
    for (const std::string& line : lines) {
        const std::optional<Bytes> key = ParsePublicKey(line);
        const std::optional<std::string> id = key ? win::KeyId(*key) : std::nullopt;
        if (!id || !win::EcdsaKey::FromPublic(*key)) {
            pins.faulty.push_back(line);
            continue;
        }
        pins.keys.push_back(*key);
        pins.ids.push_back(*id);
    }
    return pins;
}

PinnedKeys ReadPinnedKeys() {
    std::vector<std::string> lines;
    const DWORD error = policyLines(lines);
    if (error == ERROR_FILE_NOT_FOUND)
        return {};
    PinnedKeys pins = PinnedKeysFrom(lines);
    pins.pinned = true; // a value without a key in it trusts nobody
    if (error != ERROR_SUCCESS) {
        pins.pinned = true; // a policy that cannot be read trusts nobody
        pins.error = error;
    }
    return pins;
}

bool IsOlderThanInstalled(int32_t configured, int32_t installed) {
    return configured < installed;
}

SignatureVerdict CheckReleaseSignature(const ReleaseRecord& record, std::string_view signature,
                                       const PinnedKeys& pins) {
    if (pins.error != ERROR_SUCCESS)
        return {false,
                {},
                "die Richtlinie mit den Schl\u00FCsseln ist nicht lesbar: " +
                    win::SystemText(pins.error)};
    if (signature.empty())
        return {false, {}, "keine signatur="};
    const std::optional<ReleaseSignature> parsed = ParseSignature(signature);
    if (!parsed)
        return {
            false, {}, "signatur= ist keine Signatur (Schl\u00FCssel-ID:128 Hexadezimalziffern)"};
    const auto pinned = std::find(pins.ids.begin(), pins.ids.end(), parsed->keyId);
    if (pinned == pins.ids.end())
        return {false, parsed->keyId,
                "signiert mit Schl\u00FCssel " + parsed->keyId + ", der hier nicht hinterlegt ist"};
    const std::optional<std::string> bytes = CanonicalRecord(record);
    if (!bytes)
        return {false, parsed->keyId,
                "ohne groesse= und pruefsumme= (SHA-256) ist nichts signiert"};
    const std::optional<win::EcdsaKey> key =
        win::EcdsaKey::FromPublic(pins.keys[static_cast<size_t>(pinned - pins.ids.begin())]);
    if (!key || !key->Verifies(*bytes, parsed->signature))
        return {false, parsed->keyId,
                "die Signatur passt nicht zu Abschnitt, mdbname, version, groesse und "
                "pruefsumme dieses Eintrags"};
    return {true, parsed->keyId, {}};
}

} // namespace vorlund

#include "win/ProtectedData.h"

#include "win/DllSearch.h"
#include "win/Handles.h"

#include <dpapi.h>
#include <wincrypt.h>

#include <string>

namespace vorlund::win {
namespace {

struct Dpapi {
    HMODULE module = LoadSystemLibrary("crypt32.dll");
    decltype(&::CryptProtectData) protect = Function<decltype(protect)>(module, "CryptProtectData");
    decltype(&::CryptUnprotectData) unprotect =
        Function<decltype(unprotect)>(module, "CryptUnprotectData");
};

const Dpapi& dpapi() {
    static const Dpapi instance;
    return instance;
}

// Ties the blob to this use: another program's secret of this user does
// not read back as a publisher's key.
constexpr char kEntropy[] = "Vorlund-Herausgeberschluessel";

DATA_BLOB blobOf(const Bytes& bytes) {
    return {static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data())};
}

DATA_BLOB entropy() {
    return {sizeof kEntropy - 1, reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
}

} // namespace

Protected ProtectForUser(const SecretBytes& secret, std::wstring_view description) {
    if (!dpapi().protect)
        return {{}, ERROR_PROC_NOT_FOUND};
    DATA_BLOB in = blobOf(secret.get()), salt = entropy(), out{};
    const std::wstring name(description);
    if (!dpapi().protect(&in, name.c_str(), &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                         &out))
        return {{}, GetLastError()};
    const UniqueLocal owner(out.pbData);
    return {Bytes(out.pbData, out.pbData + out.cbData), ERROR_SUCCESS};
}

Unprotected UnprotectForUser(const Bytes& blob) {
    if (!dpapi().unprotect)
        return {SecretBytes(), ERROR_PROC_NOT_FOUND};
    DATA_BLOB in = blobOf(blob), salt = entropy(), out{};
    if (!dpapi().unprotect(&in, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return {SecretBytes(), GetLastError()};
    const UniqueLocal owner(out.pbData);
    SecretBytes secret(Bytes(out.pbData, out.pbData + out.cbData));
    SecureZeroMemory(out.pbData, out.cbData);
    return {std::move(secret), ERROR_SUCCESS};
}

} // namespace vorlund::win

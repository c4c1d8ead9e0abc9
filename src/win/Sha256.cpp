#include "win/Sha256.h"

#include "base/BlockReads.h"
#include "base/Hex.h"
#include "win/DllSearch.h"
#include "win/Handles.h"
#include "win/Unicode.h"

#include <windows.h>
#include <bcrypt.h>

namespace vorlund::win {
namespace {

struct Cng {
    HMODULE module = LoadSystemLibrary("bcrypt.dll");
    decltype(&::BCryptOpenAlgorithmProvider) open =
        Function<decltype(open)>(module, "BCryptOpenAlgorithmProvider");
    decltype(&::BCryptCreateHash) create = Function<decltype(create)>(module, "BCryptCreateHash");
    decltype(&::BCryptHashData) data = Function<decltype(data)>(module, "BCryptHashData");
    decltype(&::BCryptFinishHash) finish = Function<decltype(finish)>(module, "BCryptFinishHash");
    decltype(&::BCryptDestroyHash) destroy =
        Function<decltype(destroy)>(module, "BCryptDestroyHash");
    // One provider for the life of the process, as a static import would keep it.
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    Cng() {
        if (!open || !create || !data || !finish || !destroy ||
            open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0)
            algorithm = nullptr;
    }
};

const Cng& cng() {
    static const Cng instance;
    return instance;
}

constexpr ULONG kDigestLength = 32;

} // namespace

Sha256::Sha256() {
    const Cng& c = cng();
    BCRYPT_HASH_HANDLE hash = nullptr;
    ok_ = c.algorithm && c.create(c.algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
    hash_ = ok_ ? hash : nullptr;
}

Sha256::~Sha256() {
    if (hash_)
        cng().destroy(hash_);
}

void Sha256::Update(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (ok_ && size > 0) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        ok_ = cng().data(hash_, const_cast<PUCHAR>(bytes), piece, 0) >= 0;
        bytes += piece;
        size -= piece;
    }
}

std::optional<std::array<unsigned char, kDigestLength>> Sha256::Digest() {
    std::array<unsigned char, kDigestLength> digest;
    if (!ok_ || cng().finish(hash_, digest.data(), kDigestLength, 0) < 0)
        return std::nullopt;
    ok_ = false; // a finished hash takes nothing more
    return digest;
}

std::optional<std::string> Sha256::HexDigest() {
    const std::optional<std::array<unsigned char, kDigestLength>> digest = Digest();
    if (!digest)
        return std::nullopt;
    return ToHex(digest->data(), digest->size());
}

std::optional<std::string> FileSha256(const std::string& path) {
    // Unbuffered reads take whole sectors into page-aligned memory; the
    // file's end may come in the middle of a block.
    // A publish may replace it meanwhile; this handle reads what it opened.
    const File file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING);
    if (!file)
        return std::nullopt;
    constexpr DWORD kBlock = 1 << 20;
    const UniquePages block(
        VirtualAlloc(nullptr, kBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!block)
        return std::nullopt;
    Sha256 hash;
    const bool read = ReadBlocksToEnd(
        kBlock,
        [&]() -> std::optional<size_t> {
            DWORD n = 0;
            if (!ReadFile(file.get(), block.get(), kBlock, &n, nullptr))
                return std::nullopt;
            return n;
        },
        [&](size_t n) { hash.Update(block.get(), n); });
    if (!read)
        return std::nullopt;
    return hash.HexDigest();
}

} // namespace vorlund::win

#pragma once
// SHA-256 by Windows' own CNG. bcrypt.dll is no DLL that Windows always
// takes from the system directory, so it is loaded from there by its full
// path the first time, never imported.
#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace vorlund::win {

class Sha256 {
  public:
    Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    ~Sha256();

    // False when CNG could not be had, or a call of it failed.
    bool ok() const { return ok_; }
    void Update(const void* data, size_t size);
    // 64 lower-case hexadecimal digits; nothing when anything failed. Ends
    // the hash.
    std::optional<std::string> HexDigest();
    // The same as 32 bytes.
    std::optional<std::array<unsigned char, 32>> Digest();

  private:
    void* hash_ = nullptr; // BCRYPT_HASH_HANDLE
    bool ok_ = false;
};

// The hash of a whole file, read once from start to end past this PC's
// cache, so that what a server holds is hashed, not what was just written
// to it; nothing when it cannot be read.
std::optional<std::string> FileSha256(const std::string& path);

} // namespace vorlund::win

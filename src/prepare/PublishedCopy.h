#pragma once
// What the administrator published of a central copy (groesse=, pruefsumme=
// of its entry): a workstation copies only a file of that size and installs
// only one of that SHA-256, so that a copy that has not fully arrived on a
// replicated share, or was changed behind the configuration's back, never
// goes to the desks. The launcher and the check judge by these rules.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlund {

struct PublishedCopy {
    std::optional<int64_t> size;
    std::optional<std::string> sha256; // 64 lower-case hexadecimal digits
    // A value that is no size or no SHA-256: no copy can match it.
    std::string fault;
    bool Checked() const { return size || sha256 || !fault.empty(); }
};

PublishedCopy ReadPublished(std::string_view groesse, std::string_view pruefsumme);
bool IsSha256(std::string_view text);

// The words the run log and the check use for a mismatch.
std::string SizeMismatch(int64_t published, int64_t found);
std::string HashMismatch(std::string_view published, std::string_view found);

} // namespace vorlund

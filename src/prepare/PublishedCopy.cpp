#include "prepare/PublishedCopy.h"

#include "base/AsciiText.h"
#include "config/IntParse.h"
#include "prepare/Messages.h"

#include <algorithm>

namespace vorlund {
bool IsSha256(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

PublishedCopy ReadPublished(std::string_view groesse, std::string_view pruefsumme) {
    PublishedCopy p;
    if (!groesse.empty()) {
        p.size = parseCount(groesse);
        if (!p.size)
            p.fault = "groesse=" + texts::quoted(groesse) + " ist keine Anzahl Bytes";
    }
    if (!pruefsumme.empty()) {
        if (IsSha256(pruefsumme))
            p.sha256 = asciiLower(pruefsumme);
        else if (p.fault.empty())
            p.fault = "pruefsumme=" + texts::quoted(pruefsumme) +
                      " ist keine SHA-256 (64 Hexadezimalziffern)";
    }
    return p;
}

std::string SizeMismatch(int64_t published, int64_t found) {
    return "Gr\u00F6\u00DFe: ver\u00F6ffentlicht " + std::to_string(published) +
           " Bytes, auf dem Server " + std::to_string(found) + " Bytes";
}

std::string HashMismatch(std::string_view published, std::string_view found) {
    return "SHA-256: ver\u00F6ffentlicht " + std::string(published) + ", kopiert " +
           std::string(found);
}

} // namespace vorlund

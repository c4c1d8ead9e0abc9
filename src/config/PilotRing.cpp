#include "config/PilotRing.h"

#include "base/AsciiText.h"
#include "config/IntParse.h"

#include <algorithm>
#include <cstdint>

namespace vorlund {
namespace {} // namespace

PilotRing ParsePilotRing(std::string_view text) {
    PilotRing ring;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = trimBlanks(text.substr(start, comma - start));
        start = comma + 1;
        if (item.empty())
            continue;
        if (item.back() != '%') {
            ring.names.emplace_back(item);
            continue;
        }
        const std::optional<int32_t> percent =
            parseDecimal32(trimBlanks(item.substr(0, item.size() - 1)));
        if (!percent || *percent < 0 || *percent > 100)
            ring.faults.emplace_back(item);
        else
            ring.percent = std::max(ring.percent, static_cast<int>(*percent));
    }
    return ring;
}

int RingBucket(std::string_view computer) {
    // FNV-1a, then a finalizer that spreads names differing in one letter.
    uint64_t h = 0xcbf29ce484222325ULL;
    for (const char c : computer) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return static_cast<int>(h % 100);
}

std::string PilotCopyName(std::string_view mdbName) {
    const size_t dot = mdbName.find_last_of('.');
    if (dot == std::string_view::npos)
        return std::string(mdbName) + ".vorab";
    return std::string(mdbName.substr(0, dot)) + ".vorab" + std::string(mdbName.substr(dot));
}

} // namespace vorlund

// libFuzzer target: the fleet's reader of run logs, on any bytes a shared
// log folder may hold. Fed whole or in pieces of any size, a log gives the
// same rows, and the table made of them is well-formed UTF-8 without a
// single control character but its line ends.
#include "base/Utf8.h"
#include "fleet/Fleet.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace vorlund;
using namespace vorlund::fleet;

std::vector<FleetRow> read(std::string_view bytes, size_t seed) {
    FleetLog log;
    while (!bytes.empty()) {
        const size_t piece = seed == 0 ? bytes.size() : 1 + seed % bytes.size();
        log.Feed(bytes.substr(0, piece));
        bytes.remove_prefix(piece);
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    }
    return log.Finish();
}

bool same(const std::vector<FleetRow>& a, const std::vector<FleetRow>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FormatRunLine(a[i].last) != FormatRunLine(b[i].last) || a[i].failures != b[i].failures)
            return false;
    return true;
}

void expectCleanTable(const std::string& table) {
    if (wellFormedUtf8(table) != table)
        __builtin_trap();
    for (size_t at = 0; at < table.size();) {
        const char32_t c = nextCodePoint(table, at);
        if ((c < 0x20 && c != '\r' && c != '\n') || (c >= 0x7F && c <= 0x9F))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<FleetRow> whole = read(bytes, 0);
    if (!same(whole, read(bytes, size * 31 + 7)))
        __builtin_trap();
    expectCleanTable(FleetTable({whole, {}, {std::string(bytes.substr(0, 80))}}, "C:\\Logs"));
    return 0;
}

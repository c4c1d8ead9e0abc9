#include "check/Executable.h"

#include <cstdint>

namespace vorlund::check {
namespace {

uint32_t little(std::string_view bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

} // namespace

Bitness ExecutableBitness(std::string_view head) {
    if (head.size() < 0x40 || head.substr(0, 2) != "MZ")
        return Bitness::Unknown;
    const uint32_t pe = little(head, 0x3C, 4);
    if (pe > head.size() || head.size() - pe < 6 ||
        head.substr(pe, 4) != std::string_view("PE\0\0", 4))
        return Bitness::Unknown;
    switch (little(head, pe + 4, 2)) {
    case 0x014C: // x86
        return Bitness::Bits32;
    case 0x8664: // x64
    case 0xAA64: // ARM64
    case 0x0200: // Itanium
        return Bitness::Bits64;
    default:
        return Bitness::Unknown;
    }
}

} // namespace vorlund::check

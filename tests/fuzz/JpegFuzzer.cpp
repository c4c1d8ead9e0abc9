// libFuzzer target: the banner decoder must never crash, leak or run away
// on any input.
#include "ui/JpegDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = vorlund::decodeJpeg(data, size);
    if (image && image->bgrBottomUp.size() !=
                     static_cast<size_t>(image->stride) * static_cast<size_t>(image->height))
        __builtin_trap();
    return 0;
}

#pragma once
// Decodes a JPEG banner into 24-bit BGR rows (bottom-up, 4-byte aligned, as a
// Windows DIB wants them). Any fault gives no image: libjpeg's errors return
// here instead of ending the process, warnings (such as truncated data) count
// as faults, and a picture whose declared size exceeds the limits is refused
// before its pixel memory is taken.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vorlund {

struct DecodedImage {
    int width = 0;
    int height = 0;
    int stride = 0; // bytes per row
    std::vector<uint8_t> bgrBottomUp;
};

struct JpegLimits {
    int maxSide = 8192;
    int64_t maxPixels = 16 * 1024 * 1024;
    long maxDecoderMemory = 64L * 1024 * 1024; // libjpeg's own work buffers
};

// True when a picture of these dimensions may be decoded.
bool jpegSizeAllowed(int64_t width, int64_t height, const JpegLimits& limits);

std::optional<DecodedImage> decodeJpeg(const uint8_t* data, size_t size,
                                       const JpegLimits& limits = {});

} // namespace vorlund

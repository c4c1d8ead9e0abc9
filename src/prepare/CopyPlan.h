#pragma once
// The arithmetic of the chunked copy: chunk lengths, the pieces a chunk is
// moved in, and the progress bar's range for files of any size.
#include <cstdint>

namespace vorlund::copyplan {

inline constexpr int64_t kChunkLength = 0x10000; // the window is serviced once per chunk
inline constexpr int64_t kPieceLength = 0xF000;  // the transfer buffer

// The length of the next chunk: a full chunk while at least one remains,
// otherwise the rest (0 only for an empty source).
inline int64_t nextChunk(int64_t size, int64_t copied) {
    const int64_t remaining = size - copied;
    return remaining >= kChunkLength ? kChunkLength : remaining;
}

// The progress bar takes 32-bit positions. Byte counts are used directly
// while the size fits; larger sizes are shifted down into range.
inline int barShift(int64_t size) {
    int shift = 0;
    while ((size >> shift) > INT32_MAX)
        ++shift;
    return shift;
}

inline int32_t barPosition(int64_t bytes, int shift) {
    return static_cast<int32_t>(bytes >> shift);
}

} // namespace vorlund::copyplan

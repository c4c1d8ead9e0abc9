#pragma once
// Reading a file to its end in whole blocks. An unbuffered read must start
// on a sector boundary, so a block that comes back short is the file's end:
// reading again would start at an unaligned offset, which Windows refuses.
#include <cstddef>
#include <optional>

namespace vorlund {

// `read` gives the bytes one call moved into the block, or nothing when it
// failed; `use` takes each block's bytes. False when a read failed.
template <class Read, class Use> bool ReadBlocksToEnd(size_t block, Read read, Use use) {
    for (;;) {
        const std::optional<size_t> n = read();
        if (!n)
            return false;
        if (*n > 0)
            use(*n);
        if (*n < block)
            return true;
    }
}

} // namespace vorlund

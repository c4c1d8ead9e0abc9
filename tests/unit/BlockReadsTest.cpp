// Whole blocks to the end: a short block ends the reading.
#include "base/BlockReads.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vorlund;

TEST(BlockReads, AShortBlockIsTheEndAndNoReadFollowsIt) {
    const struct {
        std::vector<size_t> blocks; // what each read gives; past them, a read fails
        bool ok;
        size_t used;
    } cases[] = {
        {{4096, 4096, 100}, true, 8292}, // unaligned end: a further read would be refused
        {{4096, 0}, true, 4096},         // aligned end
        {{0}, true, 0},                  // empty file
        {{4096}, false, 4096},           // a failed read is a failure
    };
    for (const auto& c : cases) {
        size_t next = 0, used = 0;
        const bool ok = ReadBlocksToEnd(
            4096,
            [&]() -> std::optional<size_t> {
                if (next == c.blocks.size())
                    return std::nullopt;
                return c.blocks[next++];
            },
            [&](size_t n) { used += n; });
        EXPECT_EQ(ok, c.ok) << c.blocks.size();
        EXPECT_EQ(used, c.used) << c.blocks.size();
    }
}

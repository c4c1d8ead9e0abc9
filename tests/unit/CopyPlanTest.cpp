#include "prepare/CopyPlan.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vorlund::copyplan;

namespace {
std::vector<int64_t> chunks(int64_t size) {
    std::vector<int64_t> out;
    int64_t copied = 0;
    do {
        const int64_t c = nextChunk(size, copied);
        out.push_back(c);
        copied += c;
    } while (copied < size);
    return out;
}
} // namespace

TEST(CopyPlan, ChunksAreFullUntilTheRest) {
    EXPECT_EQ(chunks(0), (std::vector<int64_t>{0}));
    EXPECT_EQ(chunks(65535), (std::vector<int64_t>{65535}));
    EXPECT_EQ(chunks(65536), (std::vector<int64_t>{65536}));
    EXPECT_EQ(chunks(65537), (std::vector<int64_t>{65536, 1}));
    EXPECT_EQ(chunks(200000), (std::vector<int64_t>{65536, 65536, 65536, 3392}));
}

TEST(CopyPlan, BarPositionsAreBytesUntilTheyNoLongerFit) {
    EXPECT_EQ(barShift(0), 0);
    EXPECT_EQ(barShift(INT32_MAX), 0);
    EXPECT_EQ(barShift(int64_t{INT32_MAX} + 1), 1);
    // 5 GiB: a quarter of each byte count, so that the end fits the bar.
    const int64_t fiveGiB = int64_t{5} << 30;
    const int shift = barShift(fiveGiB);
    EXPECT_EQ(barPosition(fiveGiB, shift), 1342177280);
    EXPECT_EQ(barPosition(65536, shift), 16384);
    EXPECT_EQ(barPosition(200000, barShift(200000)), 200000);
}

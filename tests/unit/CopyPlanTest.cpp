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
    const int64_t fiveGiB = int64_t{5} << 30;
    const int shift = barShift(fiveGiB);
    EXPECT_LE(fiveGiB >> shift, INT32_MAX);
    EXPECT_GT(fiveGiB >> (shift - 1), INT32_MAX);
    EXPECT_EQ(barPosition(fiveGiB, shift), static_cast<int32_t>(fiveGiB >> shift));
    EXPECT_EQ(barPosition(200000, 0), 200000);
}

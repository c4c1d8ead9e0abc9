#include "support/JpegWriter.h"
#include "ui/JpegDecoder.h"

#include <gtest/gtest.h>

using vorlund::decodeJpeg;
using vorlund::JpegLimits;
using vorlund::jpegSizeAllowed;
using vorlund::testing::makeJpeg;
using vorlund::testing::setDeclaredSize;

TEST(JpegDecoder, DecodesIntoBottomUpAlignedBgrRows) {
    for (bool progressive : {false, true}) {
        const std::vector<uint8_t> jpeg = makeJpeg(33, 20, progressive);
        auto image = decodeJpeg(jpeg.data(), jpeg.size());
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->width, 33);
        EXPECT_EQ(image->height, 20);
        EXPECT_EQ(image->stride, 100); // 99 bytes rounded up to a multiple of 4
        ASSERT_EQ(image->bgrBottomUp.size(), 2000u);
        // The top row of the picture is the last row in memory; red grows to the right.
        const uint8_t* top = &image->bgrBottomUp[19 * 100];
        EXPECT_LT(top[2], 30);           // red at the left edge
        EXPECT_GT(top[32 * 3 + 2], 220); // red at the right edge
        EXPECT_NEAR(top[0], 0x40, 12);   // blue stays near 0x40
    }
}

TEST(JpegDecoder, DamagedDataGivesNoPicture) {
    const std::vector<uint8_t> good = makeJpeg(64, 64);
    EXPECT_FALSE(decodeJpeg(good.data(), 0).has_value());
    EXPECT_FALSE(decodeJpeg(nullptr, 10).has_value());
    // Truncated: libjpeg would only warn and fill grey; that is not a banner.
    for (size_t keep : {size_t{2}, size_t{20}, good.size() / 2, good.size() - 2})
        EXPECT_FALSE(decodeJpeg(good.data(), keep).has_value()) << keep;
    std::vector<uint8_t> corrupt = good;
    for (size_t i = corrupt.size() / 3; i < corrupt.size() / 3 + 64; ++i)
        corrupt[i] = 0xFF;
    EXPECT_FALSE(decodeJpeg(corrupt.data(), corrupt.size()).has_value());
    const std::vector<uint8_t> text{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'};
    EXPECT_FALSE(decodeJpeg(text.data(), text.size()).has_value());
}

TEST(JpegDecoder, AbsurdDimensionsAreRefusedBeforeDecoding) {
    for (bool progressive : {false, true}) {
        std::vector<uint8_t> jpeg = makeJpeg(16, 16, progressive);
        setDeclaredSize(jpeg, 30000, 30000);
        EXPECT_FALSE(decodeJpeg(jpeg.data(), jpeg.size()).has_value());
    }
    const JpegLimits limits;
    EXPECT_TRUE(jpegSizeAllowed(4096, 4096, limits));
    EXPECT_FALSE(jpegSizeAllowed(8193, 10, limits));
    EXPECT_FALSE(jpegSizeAllowed(8192, 8192, limits)); // more pixels than allowed
    EXPECT_FALSE(jpegSizeAllowed(0, 10, limits));
    const JpegLimits small{100, 1000, 1 << 20};
    const std::vector<uint8_t> jpeg = makeJpeg(40, 40);
    EXPECT_FALSE(decodeJpeg(jpeg.data(), jpeg.size(), small).has_value());
}

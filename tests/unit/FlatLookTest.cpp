#include "ui/FlatLook.h"

#include <gtest/gtest.h>

using namespace vorlund::flat;

TEST(FlatLook, OneVisualStatePerButtonState) {
    EXPECT_EQ(buttonLook(TFlatStyle::fsFlat, false, false), ButtonLook::Raised);
    EXPECT_EQ(buttonLook(TFlatStyle::fsFlat, false, true), ButtonLook::Highlighted);
    EXPECT_EQ(buttonLook(TFlatStyle::fsFlat, true, false), ButtonLook::Pressed);
    EXPECT_EQ(buttonLook(TFlatStyle::fsFlat, true, true), ButtonLook::Pressed);
    EXPECT_EQ(buttonLook(TFlatStyle::fsStandard, true, true), ButtonLook::Standard);
    EXPECT_EQ(windowBorderLook(TFlatStyle::fsFlat, true), RingLook::Sunken);
    EXPECT_EQ(windowBorderLook(TFlatStyle::fsFlat, false), RingLook::ButtonFace);
    EXPECT_EQ(windowBorderLook(TFlatStyle::fsStandard, true), RingLook::Standard);
}

TEST(FlatLook, BorderColourLightensEachPartAndSaturates) {
    EXPECT_EQ(flatBorderColour(32, 0x00C8D0D4, 0x00FFFFFF), 0x00E0E8ECu);
    EXPECT_EQ(flatBorderColour(24, 0x00000000, 0x00FFFFFF), 0x00181818u);
    // Parts above 231 stay at 255 instead of carrying into their neighbour.
    EXPECT_EQ(flatBorderColour(32, 0x00E8FF10, 0), 0x00FFFF28u);
    EXPECT_EQ(flatBorderColour(32, 0x00FFFFFF, 0), 0x00FFFFFFu);
    // 8 bits per pixel or fewer: the window colour.
    EXPECT_EQ(flatBorderColour(8, 0x00C8D0D4, 0x00ABCDEF), 0x00ABCDEFu);
    EXPECT_EQ(flatBorderColour(4, 0x00C8D0D4, 0x00ABCDEF), 0x00ABCDEFu);
}

TEST(FlatLook, RingsAndCornerSquare) {
    EXPECT_EQ(borderRing(100, 50, 0), (Rect{0, 0, 100, 50}));
    EXPECT_EQ(borderRing(100, 50, 2), (Rect{2, 2, 98, 48}));
    // Window rectangle in client coordinates of a grid with a 3-pixel border.
    EXPECT_EQ(cornerSquare(Rect{-3, -3, 297, 97}, 16, 16), (Rect{281, 81, 297, 97}));
}

TEST(FlatLook, PicturesAreCentredAndCroppedEqually) {
    EXPECT_EQ(centred(312, 105, 100, 50).x, 106);
    EXPECT_EQ(centred(312, 105, 100, 50).y, 27);
    EXPECT_EQ(centred(312, 105, 400, 205).x, -44);
    EXPECT_EQ(centred(312, 105, 400, 205).y, -50);
    EXPECT_EQ(centred(312, 105, 313, 106).x, 0); // one extra pixel: toward zero
    EXPECT_EQ(centred(312, 105, 315, 105).x, -1);
}

#include "ui/DialogLayout.h"

#include <gtest/gtest.h>

using namespace vorlund;

TEST(DialogLayout, IconBesideTextAndTheButtonsCentredBelow) {
    DialogMetrics m;
    m.hMargin = 16, m.vMargin = 12, m.hSpacing = 8, m.vSpacing = 10;
    m.buttonWidth = 75, m.buttonHeight = 25, m.buttonSpacing = 6;
    m.textWidth = 100, m.textHeight = 13; // one line, lower than the icon

    const DialogLayout one = LayoutMessageDialog(m, true, 1);
    EXPECT_EQ(one.clientWidth, 172);
    EXPECT_EQ(one.clientHeight, 91);
    EXPECT_EQ(one.icon, (Box{16, 12, 32, 32}));
    EXPECT_EQ(one.text, (Box{56, 12, 100, 13}));
    EXPECT_EQ(one.buttons, (std::vector<Box>{{48, 54, 75, 25}}));

    m.textHeight = 40; // without an icon, three buttons wider than the text
    const DialogLayout three = LayoutMessageDialog(m, false, 3);
    EXPECT_EQ(three.clientWidth, 269);
    EXPECT_EQ(three.clientHeight, 99);
    EXPECT_EQ(three.icon, Box{});
    EXPECT_EQ(three.text, (Box{16, 12, 100, 40}));
    EXPECT_EQ(three.buttons,
              (std::vector<Box>{{16, 62, 75, 25}, {97, 62, 75, 25}, {178, 62, 75, 25}}));
}

TEST(DialogLayout, DefaultAndCancelButtonsByTheSet) {
    const ButtonSet yesNo = buttonBit(DialogButton::Yes) | buttonBit(DialogButton::No);
    const ButtonSet abortRetry = buttonBit(DialogButton::Abort) | buttonBit(DialogButton::Retry);
    EXPECT_EQ(countButtons(yesNo | mbOK), 3);
    EXPECT_EQ(defaultButton(yesNo | mbOK), static_cast<int>(DialogButton::OK));
    EXPECT_EQ(defaultButton(yesNo), static_cast<int>(DialogButton::Yes));
    EXPECT_EQ(defaultButton(abortRetry), static_cast<int>(DialogButton::Retry));
    EXPECT_EQ(cancelButton(yesNo), static_cast<int>(DialogButton::No));
    EXPECT_EQ(cancelButton(abortRetry), static_cast<int>(DialogButton::OK));
}

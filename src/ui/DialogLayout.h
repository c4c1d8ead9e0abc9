#pragma once
// Where a message dialog's parts go, from its font metrics alone: the icon
// and the text side by side, the buttons in one centred row below. Pure
// arithmetic, so that it is tested on the host.
#include "ui/MessageTypes.h"

#include <vector>

namespace vorlund {

inline constexpr int kDialogIconSize = 32;

struct DialogMetrics {
    int avgW = 0, chH = 0;
    int hMargin = 0, vMargin = 0, hSpacing = 0, vSpacing = 0;
    int buttonWidth = 0, buttonHeight = 0, buttonSpacing = 0;
    int textWidth = 0, textHeight = 0;
    int clientWidth = 0, clientHeight = 0;
};

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

struct DialogLayout {
    int clientWidth = 0, clientHeight = 0;
    Box icon; // empty without an icon
    Box text;
    std::vector<Box> buttons; // in set order
};

DialogLayout LayoutMessageDialog(const DialogMetrics& m, bool withIcon, int buttonCount);

bool hasButton(ButtonSet set, int index);
int countButtons(ButtonSet buttons);
// The button that Enter presses and the one that Escape and the close box
// stand for.
int defaultButton(ButtonSet set);
int cancelButton(ButtonSet set);

} // namespace vorlund

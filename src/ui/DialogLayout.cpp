#include "ui/DialogLayout.h"

#include <algorithm>

namespace vorlund {

DialogLayout LayoutMessageDialog(const DialogMetrics& m, bool withIcon, int buttonCount) {
    const int icon = withIcon ? kDialogIconSize : 0;
    const int blockWidth = withIcon ? m.textWidth + icon + m.hSpacing : m.textWidth;
    const int blockHeight = std::max(m.textHeight, icon);
    const int n = buttonCount;
    const int groupWidth = n > 0 ? n * m.buttonWidth + (n - 1) * m.buttonSpacing : 0;

    DialogLayout l;
    l.clientWidth = std::max(blockWidth, groupWidth) + 2 * m.hMargin;
    l.clientHeight = blockHeight + m.buttonHeight + m.vSpacing + 2 * m.vMargin;
    if (withIcon)
        l.icon = {m.hMargin, m.vMargin, icon, icon};
    l.text = {m.hMargin + blockWidth - m.textWidth, m.vMargin, m.textWidth, m.textHeight};
    const int top = blockHeight + m.vMargin + m.vSpacing;
    for (int i = 0, left = (l.clientWidth - groupWidth) / 2; i < n;
         ++i, left += m.buttonWidth + m.buttonSpacing)
        l.buttons.push_back({left, top, m.buttonWidth, m.buttonHeight});
    return l;
}

bool hasButton(ButtonSet set, int index) {
    return (set & (1u << index)) != 0;
}

int countButtons(ButtonSet buttons) {
    int n = 0;
    for (int i = 0; i < kDialogButtonCount; ++i)
        n += hasButton(buttons, i) ? 1 : 0;
    return n;
}

int defaultButton(ButtonSet set) {
    if (hasButton(set, static_cast<int>(DialogButton::OK)))
        return static_cast<int>(DialogButton::OK);
    if (hasButton(set, static_cast<int>(DialogButton::Yes)))
        return static_cast<int>(DialogButton::Yes);
    return static_cast<int>(DialogButton::Retry);
}

int cancelButton(ButtonSet set) {
    if (hasButton(set, static_cast<int>(DialogButton::Cancel)))
        return static_cast<int>(DialogButton::Cancel);
    if (hasButton(set, static_cast<int>(DialogButton::No)))
        return static_cast<int>(DialogButton::No);
    return static_cast<int>(DialogButton::OK);
}

} // namespace vorlund

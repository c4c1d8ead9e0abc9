#pragma once
// Kinds of message and the button set of the message dialogs.
#include "base/MessageType.h"

#include <cstdint>

namespace vorlund {

// Bit n of a button set stands for the n-th button of this order.
enum class DialogButton : int {
    Yes,
    No,
    OK,
    Cancel,
    Abort,
    Retry,
    Ignore,
    All,
    NoToAll,
    YesToAll,
    Help,
};
inline constexpr int kDialogButtonCount = 11;

using ButtonSet = uint16_t;
inline constexpr ButtonSet buttonBit(DialogButton b) {
    return static_cast<ButtonSet>(1u << static_cast<int>(b));
}
inline constexpr ButtonSet mbOK = buttonBit(DialogButton::OK);

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

} // namespace vorlund

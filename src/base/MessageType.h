#pragma once
// The kinds of message a user is shown: the preparation names them, the
// message dialogs draw them.
namespace vorlund {

enum class MessageType : int {
    Warning = 0,
    Error = 1,
    Information = 2,
    Confirmation = 3,
    Custom = 4
};

} // namespace vorlund

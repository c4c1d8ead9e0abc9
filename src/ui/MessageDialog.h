#pragma once
// Modal message dialogs built at run time: caption and icon by kind, the text
// measured and wrapped, the buttons of the set in one centred row.
#include "ui/DialogLayout.h"
#include "ui/MessageTypes.h"
#include "ui/Window.h"
#include "win/Handles.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace vorlund {

// Control ids inside the dialog (the component names "Image" and "Message",
// and the buttons in set order).
inline constexpr int kMessageImageId = 90;
inline constexpr int kMessageTextId = 91;
inline constexpr int kFirstButtonId = 100;
inline constexpr const char* kMessageFormClass = "TMessageForm";

class TMessageForm : public Window {
  public:
    TMessageForm();
    ~TMessageForm() override;

    int ModalResult() const { return modalResult_; }
    const DialogMetrics& Metrics() const { return metrics_; }
    void SetHelpContext(int32_t context) { helpContext_ = context; }
    void SetHelpFile(std::string file) { helpFile_ = std::move(file); }

    // Runs the dialog modally; returns the modal result.
    int ShowModal();

  private:
    friend std::unique_ptr<TMessageForm> BuildMessageDialog(std::string_view, MessageType,
                                                            ButtonSet);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnCommand(int id);
    void createButtons(ButtonSet buttons, const DialogLayout& layout);

    win::UniqueFont font_;
    DialogMetrics metrics_;
    std::array<int, kDialogButtonCount> results_{};
    int defaultId_ = 0;
    int cancelId_ = 0;
    int modalResult_ = mrNone;
    int32_t helpContext_ = 0;
    std::string helpFile_;
};

std::unique_ptr<TMessageForm> BuildMessageDialog(std::string_view text, MessageType type,
                                                 ButtonSet buttons);

// Shows a message and returns how it was closed. Negative coordinates centre
// the dialog on the screen.
int ShowMessageDialog(std::string_view text, MessageType type, ButtonSet buttons,
                      int32_t helpContext);
int ShowMessageDialogPos(std::string_view text, MessageType type, ButtonSet buttons,
                         int32_t helpContext, int x, int y, std::string_view helpFile);

// The button width cache of the run (for tests).
int CachedButtonWidth(DialogButton button);
void ResetButtonWidthCache();

} // namespace vorlund

// Message dialogs built for real and closed the ways a user closes them.
#include "support/WinTestSupport.h"
#include "ui/Application.h"
#include "ui/MessageDialog.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vorlund;

namespace {

std::string textOf(HWND wnd) {
    char buffer[1024] = {};
    GetWindowTextA(wnd, buffer, sizeof buffer);
    return buffer;
}

RECT childRect(HWND dialog, int id) {
    RECT r{};
    HWND child = GetDlgItem(dialog, id);
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Runs ShowMessageDialog while another thread acts on the dialog once it shows.
int showAndAct(std::string_view text, MessageType type, void (*act)(HWND)) {
    std::thread actor([act] {
        HWND dlg = nullptr;
        for (int i = 0; i < 500 && !dlg; ++i) {
            Sleep(10);
            dlg = FindWindowA(kMessageFormClass, nullptr);
            if (dlg && !IsWindowVisible(dlg))
                dlg = nullptr;
        }
        if (dlg)
            act(dlg);
    });
    const int result = ShowMessageDialog(text, type, mbOK, 0);
    actor.join();
    return result;
}

void pressKey(HWND dlg, WPARAM key) {
    HWND focus = GetDlgItem(dlg, kFirstButtonId + 2);
    PostMessageA(focus, WM_KEYDOWN, key, 0);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000000);
}

} // namespace

TEST(MessageDialog, CaptionIconAndTextByKind) {
    struct Kind {
        MessageType type;
        const char* caption;
        bool icon;
    };
    for (const Kind& k :
         {Kind{MessageType::Warning, "Warnung", true}, Kind{MessageType::Error, "Fehler", true},
          Kind{MessageType::Information, "Information", true},
          Kind{MessageType::Confirmation, "Best\xE4tigung", true},
          Kind{MessageType::Custom, "Vorlund Test", false}}) {
        Application::instance().SetTitle("Vorlund Test");
        auto dialog = BuildMessageDialog("Text", k.type, mbOK);
        HWND dlg = dialog->Handle();
        EXPECT_EQ(textOf(dlg), k.caption);
        EXPECT_EQ(GetDlgItem(dlg, kMessageImageId) != nullptr, k.icon);
        if (k.icon) { // nothing for a screen reader to announce
            EXPECT_EQ(textOf(GetDlgItem(dlg, kMessageImageId)), "");
        }
        EXPECT_EQ(textOf(GetDlgItem(dlg, kMessageTextId)), "Text");
        HWND ok = GetDlgItem(dlg, kFirstButtonId + 2);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(textOf(ok), "OK");
        EXPECT_TRUE(GetWindowLongA(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);
        EXPECT_FALSE(IsWindowVisible(dlg));
        const LONG style = GetWindowLongA(dlg, GWL_STYLE);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    }
}

TEST(MessageDialog, LayoutFollowsTheFontMetrics) {
    auto dialog = BuildMessageDialog("Kurz", MessageType::Error, mbOK);
    HWND dlg = dialog->Handle();
    const DialogMetrics& m = dialog->Metrics();
    ASSERT_GT(m.avgW, 0);
    ASSERT_GT(m.chH, 0);
    EXPECT_EQ(m.hMargin, MulDiv(8, m.avgW, 4));
    EXPECT_EQ(m.vMargin, MulDiv(8, m.chH, 8));
    EXPECT_EQ(m.buttonHeight, MulDiv(14, m.chH, 8));
    EXPECT_GE(m.buttonWidth, MulDiv(50, m.avgW, 4));

    // The windows stand where the layout puts them.
    const DialogLayout layout = LayoutMessageDialog(m, true, 1);
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, layout.clientWidth);
    EXPECT_EQ(client.bottom, layout.clientHeight);
    auto box = [&](int id) {
        const RECT r = childRect(dlg, id);
        return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    EXPECT_EQ(box(kMessageImageId), layout.icon);
    EXPECT_EQ(box(kMessageTextId), layout.text);
    EXPECT_EQ(box(kFirstButtonId + 2), layout.buttons.at(0));

    RECT wr;
    GetWindowRect(dlg, &wr);
    EXPECT_EQ(wr.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (wr.right - wr.left) / 2);
}

TEST(MessageDialog, LineBreaksAreSingleCarriageReturnsAndAnAmpersandIsShownAsWritten) {
    auto one = BuildMessageDialog("Zeile", MessageType::Warning, mbOK);
    auto two = BuildMessageDialog("Zeile\rZeile", MessageType::Warning, mbOK);
    auto three = BuildMessageDialog("Zeile\r\rZeile", MessageType::Warning, mbOK);
    const int line = one->Metrics().textHeight;
    EXPECT_EQ(two->Metrics().textHeight, 2 * line);
    EXPECT_EQ(three->Metrics().textHeight, 3 * line); // an empty line between
    // "N:\\F&E\\Lager" from the configuration: no "&" lost, no letter underlined.
    auto plain = BuildMessageDialog("FE", MessageType::Warning, mbOK);
    auto marked = BuildMessageDialog("F&E", MessageType::Warning, mbOK);
    EXPECT_GT(marked->Metrics().textWidth, plain->Metrics().textWidth);
    HWND text = GetDlgItem(marked->Handle(), kMessageTextId);
    EXPECT_EQ(textOf(text), "F&E");
    EXPECT_TRUE(GetWindowLongA(text, GWL_STYLE) & SS_NOPREFIX);
}

TEST(MessageDialog, LongTextsWrapAtHalfTheScreen) {
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "Datenbank ";
    auto dialog = BuildMessageDialog(words, MessageType::Information, mbOK);
    const DialogMetrics& m = dialog->Metrics();
    EXPECT_LE(m.textWidth, GetSystemMetrics(SM_CXSCREEN) / 2);
    auto single = BuildMessageDialog("Datenbank", MessageType::Information, mbOK);
    EXPECT_GT(m.textHeight, single->Metrics().textHeight);
    // One word wider than the limit is not split: the dialog grows with it.
    auto wide = BuildMessageDialog(std::string(400, 'W'), MessageType::Information, mbOK);
    EXPECT_GT(wide->Metrics().textWidth, GetSystemMetrics(SM_CXSCREEN) / 2);
}

TEST(MessageDialog, ButtonWidthsAreMeasuredOncePerRun) {
    ResetButtonWidthCache();
    EXPECT_EQ(CachedButtonWidth(DialogButton::OK), 0);
    auto first = BuildMessageDialog("x", MessageType::Error, mbOK);
    const int measured = CachedButtonWidth(DialogButton::OK);
    EXPECT_GT(measured, 8);
    EXPECT_EQ(CachedButtonWidth(DialogButton::Cancel), 0); // not in the set
    auto second = BuildMessageDialog("y", MessageType::Error, mbOK);
    EXPECT_EQ(CachedButtonWidth(DialogButton::OK), measured);
    const ButtonSet yesNo = buttonBit(DialogButton::Yes) | buttonBit(DialogButton::No);
    auto question = BuildMessageDialog("?", MessageType::Confirmation, yesNo);
    const DialogMetrics& m = question->Metrics();
    const RECT yes = childRect(question->Handle(), kFirstButtonId + 0);
    const RECT no = childRect(question->Handle(), kFirstButtonId + 1);
    EXPECT_EQ(no.left - yes.left, m.buttonWidth + m.buttonSpacing);
    EXPECT_EQ(textOf(GetDlgItem(question->Handle(), kFirstButtonId + 1)), "&Nein");
}

TEST(MessageDialog, EnterEscapeAndSpaceGiveOkTheCloseBoxGivesCancel) {
    EXPECT_EQ(showAndAct("Enter", MessageType::Warning, [](HWND d) { pressKey(d, VK_RETURN); }), 1);
    EXPECT_EQ(showAndAct("Escape", MessageType::Warning, [](HWND d) { pressKey(d, VK_ESCAPE); }),
              1);
    EXPECT_EQ(showAndAct("Space", MessageType::Warning, [](HWND d) { pressKey(d, VK_SPACE); }), 1);
    EXPECT_EQ(showAndAct("Close", MessageType::Warning,
                         [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }),
              2);
    EXPECT_EQ(FindWindowA(kMessageFormClass, nullptr), nullptr); // destroyed every time
}

TEST(MessageDialog, ShownInTheMiddleOfTheScreenWhileOtherWindowsAreDisabled) {
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    static RECT seen;
    static BOOL otherEnabled;
    static HWND otherWindow;
    otherWindow = other;
    EXPECT_EQ(showAndAct("Mitte", MessageType::Information,
                         [](HWND d) {
                             GetWindowRect(d, &seen);
                             otherEnabled = IsWindowEnabled(otherWindow);
                             PostMessageA(d, WM_CLOSE, 0, 0);
                         }),
              2);
    EXPECT_FALSE(otherEnabled);
    EXPECT_TRUE(IsWindowEnabled(other));
    const int w = seen.right - seen.left, h = seen.bottom - seen.top;
    EXPECT_EQ(seen.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(seen.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    DestroyWindow(other);
}

TEST(MessageDialog, AnEndRequestClosesTheDialogWithCancel) {
    std::thread actor([] {
        for (int i = 0; i < 500 && !FindWindowA(kMessageFormClass, nullptr); ++i)
            Sleep(10);
    });
    PostQuitMessage(0);
    const int result = ShowMessageDialog("Ende", MessageType::Error, mbOK, 0);
    actor.join();
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(Application::instance().Terminated());
    Application::instance().ResetTermination();
}

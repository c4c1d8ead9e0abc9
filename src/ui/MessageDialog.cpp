#include "ui/MessageDialog.h"

#include "ui/Application.h"
#include "ui/Utf8Text.h"
#include "ui/StringIds.h"
#include "win/Unicode.h"

#include <algorithm>
#include <cstddef>

namespace vorlund {
namespace {

// The structure without iPaddedBorderWidth, which Windows before Vista refuses.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);

struct ButtonInfo {
    UINT captionId;
    int modalResult;
};
constexpr std::array<ButtonInfo, kDialogButtonCount> kButtons{{
    {IDS_BUTTON_YES, 6},
    {IDS_BUTTON_NO, 7},
    {IDS_BUTTON_OK, 1},
    {IDS_BUTTON_CANCEL, 2},
    {IDS_BUTTON_ABORT, 3},
    {IDS_BUTTON_RETRY, 4},
    {IDS_BUTTON_IGNORE, 5},
    {IDS_BUTTON_ALL, 8},
    {IDS_BUTTON_NOTOALL, 9},
    {IDS_BUTTON_YESTOALL, 10},
    {IDS_BUTTON_HELP, 0},
}};

struct TypeInfo {
    UINT captionId;   // 0: the application's title
    const char* icon; // nullptr: no icon
};
const std::array<TypeInfo, 5> kTypes{{
    {IDS_CAPTION_WARNING, IDI_EXCLAMATION},
    {IDS_CAPTION_ERROR, IDI_HAND},
    {IDS_CAPTION_INFORMATION, IDI_ASTERISK},
    {IDS_CAPTION_CONFIRMATION, IDI_QUESTION},
    {0, nullptr},
}};

std::array<int, kDialogButtonCount> buttonWidthCache{};

std::string loadString(UINT id) {
    wchar_t buffer[256];
    const int n = LoadStringW(Application::instance().Instance(), id, buffer, 256);
    return win::Narrow(std::wstring_view(buffer, n > 0 ? static_cast<size_t>(n) : 0));
}

const TypeInfo& typeInfo(MessageType type) {
    const int index = static_cast<int>(type);
    return kTypes[static_cast<size_t>(std::clamp(index, 0, 4))];
}

// The dialog font: the system's message-box font, or the default window font
// when the system cannot tell it.
win::UniqueFont messageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0))
        return win::UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
    LOGFONTW fallback{};
    fallback.lfHeight = -MulDiv(8, 96, 72);
    lstrcpynW(fallback.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    return win::UniqueFont(CreateFontIndirectW(&fallback));
}

DialogMetrics baseMetrics(HDC dc) {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPointA(dc, letters, 52, &size);
    DialogMetrics m;
    m.avgW = size.cx / 52;
    m.chH = size.cy;
    m.hMargin = MulDiv(8, m.avgW, 4);
    m.vMargin = MulDiv(8, m.chH, 8);
    m.hSpacing = MulDiv(10, m.avgW, 4);
    m.vSpacing = MulDiv(10, m.chH, 8);
    m.buttonWidth = MulDiv(50, m.avgW, 4);
    return m;
}

void widenForButtons(HDC dc, ButtonSet buttons, DialogMetrics& m) {
    for (int i = 0; i < kDialogButtonCount; ++i) {
        if (!hasButton(buttons, i))
            continue;
        int& cached = buttonWidthCache[static_cast<size_t>(i)];
        if (cached == 0) {
            const std::string caption = loadString(kButtons[static_cast<size_t>(i)].captionId);
            RECT r{0, 0, 0, 0};
            DrawTextUtf8(dc, caption, r, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
            cached = r.right - r.left + 8;
        }
        m.buttonWidth = std::max(m.buttonWidth, cached);
    }
    m.buttonHeight = MulDiv(14, m.chH, 8);
    m.buttonSpacing = MulDiv(4, m.avgW, 4);
}

void measureText(HDC dc, std::string_view text, DialogMetrics& m) {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    // Texts hold names and paths as configured ("N:\\F&E\\Lager"): an "&" is
    // a character, never the mark of an underlined one.
    DrawTextUtf8(dc, text, r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    m.textWidth = r.right;
    m.textHeight = r.bottom;
}

SIZE outerSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Centre on the primary screen, or on the monitor of the application's
// active window when that lies on another monitor.
POINT centredPosition(HWND dlg) {
    RECT wr;
    GetWindowRect(dlg, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (HWND active = GetActiveWindow()) {
        HMONITOR monitor = MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (monitor && GetMonitorInfoA(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY))
            area = info.rcMonitor;
    }
    POINT p{area.left + (area.right - area.left - w) / 2,
            area.top + (area.bottom - area.top - h) / 2};
    p.x = std::max<LONG>(p.x, area.left);
    p.y = std::max<LONG>(p.y, area.top);
    return p;
}

} // namespace

TMessageForm::TMessageForm() {
    RegisterClassOnce(kMessageFormClass, 0, GetSysColorBrush(COLOR_BTNFACE));
}

TMessageForm::~TMessageForm() = default;

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// Sized for the layout's client area and centred on the screen.
void placeDialog(HWND dlg, const DialogLayout& layout) {
    const SIZE outer =
        outerSize(layout.clientWidth, layout.clientHeight, kDialogStyle, kDialogExStyle);
    SetWindowPos(dlg, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - outer.cx / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2 - outer.cy / 2, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND createChild(HWND dlg, const char* cls, const std::string& text, DWORD style, const Box& box,
                 int id, HFONT font) {
    HWND child = CreateWindowExW(0, win::Wide(cls).c_str(), win::Wide(text).c_str(),
                                 WS_CHILD | WS_VISIBLE | style, box.left, box.top, box.width,
                                 box.height, dlg, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 Application::instance().Instance(), nullptr);
    if (font)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

void createIcon(HWND dlg, const Box& box, LPCSTR icon) {
    HWND image = createChild(dlg, "STATIC", "", SS_ICON, box, kMessageImageId, nullptr);
    SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
    SetWindowPos(image, nullptr, box.left, box.top, box.width, box.height, SWP_NOZORDER);
}

} // namespace

std::unique_ptr<TMessageForm> BuildMessageDialog(std::string_view text, MessageType type,
                                                 ButtonSet buttons) {
    auto form = std::make_unique<TMessageForm>();
    HWND dlg = form->CreateWindowFor(kDialogExStyle, kMessageFormClass, "", kDialogStyle, 0, 0, 0,
                                     0, Application::instance().MainWindow(), nullptr);
    form->font_ = messageFont();
    DialogMetrics& m = form->metrics_;
    {
        win::WindowDc dc(dlg);
        win::ScopedSelect select(dc.get(), form->font_.get());
        m = baseMetrics(dc.get());
        widenForButtons(dc.get(), buttons, m);
        measureText(dc.get(), text, m);
    }
    const TypeInfo& info = typeInfo(type);
    const DialogLayout layout = LayoutMessageDialog(m, info.icon != nullptr, countButtons(buttons));
    m.clientWidth = layout.clientWidth;
    m.clientHeight = layout.clientHeight;
    placeDialog(dlg, layout);
    const std::string caption =
        info.captionId ? loadString(info.captionId) : Application::instance().Title();
    SetWindowTextW(dlg, win::Wide(caption).c_str());

    if (info.icon)
        createIcon(dlg, layout.icon, info.icon);
    createChild(dlg, "STATIC", std::string(text), SS_LEFT | SS_NOPREFIX, layout.text,
                kMessageTextId, form->font_.get());
    form->createButtons(buttons, layout);
    return form;
}

void TMessageForm::createButtons(ButtonSet buttons, const DialogLayout& layout) {
    const int defaultIndex = defaultButton(buttons);
    defaultId_ = kFirstButtonId + defaultIndex;
    cancelId_ = kFirstButtonId + cancelButton(buttons);
    size_t placed = 0;
    for (int i = 0; i < kDialogButtonCount; ++i) {
        if (!hasButton(buttons, i))
            continue;
        const ButtonInfo& b = kButtons[static_cast<size_t>(i)];
        results_[static_cast<size_t>(i)] = b.modalResult;
        const DWORD kind = i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        createChild(Handle(), "BUTTON", loadString(b.captionId), WS_TABSTOP | kind,
                    layout.buttons[placed++], kFirstButtonId + i, font_.get());
    }
}

LRESULT TMessageForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(defaultId_, DC_HASDEFID);
    case WM_CLOSE:
        modalResult_ = mrCancel;
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

void TMessageForm::OnCommand(int id) {
    if (id == IDCANCEL)
        id = cancelId_; // Escape
    else if (id == IDOK)
        id = defaultId_;
    const int index = id - kFirstButtonId;
    if (index < 0 || index >= kDialogButtonCount)
        return;
    // The Help button has no modal result; without a help system it does nothing.
    modalResult_ = results_[static_cast<size_t>(index)];
}

int TMessageForm::ShowModal() {
    HWND dlg = Handle();
    Application& app = Application::instance();
    HWND activeBefore = GetActiveWindow();
    DisabledWindows others(dlg);

    ShowWindow(dlg, SW_SHOW);
    SetForegroundWindow(dlg);
    if (HWND def = GetDlgItem(dlg, defaultId_))
        SetFocus(def);
    modalResult_ = mrNone;
    while (modalResult_ == mrNone) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            app.NoteQuitReceived();
        else if (!IsDialogMessageW(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (app.Terminated())
            modalResult_ = mrCancel;
    }

    others.Restore();
    ShowWindow(dlg, SW_HIDE);
    if (GetActiveWindow() == dlg || GetActiveWindow() == nullptr)
        if (activeBefore && IsWindow(activeBefore) && IsWindowVisible(activeBefore))
            SetActiveWindow(activeBefore);
    return modalResult_;
}

int ShowMessageDialogPos(std::string_view text, MessageType type, ButtonSet buttons,
                         int32_t helpContext, int x, int y, std::string_view helpFile) {
    std::unique_ptr<TMessageForm> dialog = BuildMessageDialog(text, type, buttons);
    dialog->SetHelpContext(helpContext);
    dialog->SetHelpFile(std::string(helpFile));
    HWND dlg = dialog->Handle();
    RECT wr;
    GetWindowRect(dlg, &wr);
    POINT at{x, y};
    if (x < 0 && y < 0)
        at = centredPosition(dlg);
    else {
        at.x = x >= 0 ? x : wr.left;
        at.y = y >= 0 ? y : wr.top;
    }
    SetWindowPos(dlg, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return dialog->ShowModal(); // the dialog is destroyed with its owner object
}

int ShowMessageDialog(std::string_view text, MessageType type, ButtonSet buttons,
                      int32_t helpContext) {
    return ShowMessageDialogPos(text, type, buttons, helpContext, -1, -1, "");
}

int CachedButtonWidth(DialogButton button) {
    return buttonWidthCache[static_cast<size_t>(button)];
}

void ResetButtonWidthCache() {
    buttonWidthCache.fill(0);
}

} // namespace vorlund

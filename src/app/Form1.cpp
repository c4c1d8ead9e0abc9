#include "app/Form1.h"

#include "config/ReadProgramm.h"
#include "prepare/Messages.h"
#include "prepare/Preparation.h"
#include "ui/Application.h"
#include "ui/MessageDialog.h"

#include <commctrl.h>

#include <stdexcept>

namespace vorlund {
namespace {

constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kMaroon = RGB(128, 0, 0);

win::UniqueFont makeFont(const char* face, int height, int weight) {
    LOGFONTA lf{};
    lf.lfHeight = -height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return win::UniqueFont(CreateFontIndirectA(&lf));
}

int screenDpi() {
    win::WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

} // namespace

TForm1::TForm1() : flat::TComponent(&flat::ApplicationComponent()) {
    dpi_ = screenDpi();
    RegisterClassOnce(kForm1Class, 0, GetSysColorBrush(COLOR_BTNFACE));
    font_ = makeFont("MS Sans Serif", MulDiv(8, dpi_, 72), FW_NORMAL);
    verdanaBold_ = makeFont("Verdana", Scale(11), FW_BOLD);
    RECT outer{0, 0, Scale(kClientWidth), Scale(kStartupHeight)};
    AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
    CreateWindowFor(kFormExStyle, kForm1Class, std::string(texts::kApplicationTitle).c_str(),
                    kFormStyle, 0, 0, outer.right - outer.left, Scale(kStartupHeight), nullptr,
                    nullptr);
    if (!Handle())
        throw std::runtime_error("Das Hauptfenster konnte nicht erzeugt werden");
    Timer1.Bind(Handle());
    waittimer.Bind(Handle());
    CreateControls();
    FormCreate();
    Application::instance().SetMessageFilter([this](MSG& msg) { return OnKeyboard(msg); });
}

TForm1::~TForm1() {
    Application::instance().SetMessageFilter(nullptr);
    // The controls go before the window that parents them.
    b2.reset();
    bRUN.reset();
    bEXIT.reset();
    b1.reset();
    vimage.reset();
}

void TForm1::CreateControls() {
    HWND self = Handle();
    HINSTANCE inst = Application::instance().Instance();
    // Created in tab order: the bar (no tab stop), the grid, then the group.
    BAR = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, self,
                          reinterpret_cast<HMENU>(kIdBar), inst, nullptr);
    SendMessageW(BAR, PBM_SETRANGE32, 0, 100);
    SendMessageW(BAR, PBM_SETPOS, 0, 0);

    flat::GridSetup grid;
    grid.id = kIdGrid;
    grid.font = font_.get();
    grid.indicatorWidth = Scale(11);
    grid.column = flat::GridColumn{"displayname", "Programm Auswahl:", Scale(278),
                                   verdanaBold_.get(), kMaroon};
    b2 = std::make_unique<flat::TfsDBGrid>(this, self, grid, Programme);
    b2->SetOnDblClick([this] { b2DblClick(); });

    b1 = std::make_unique<TGroupBox>(self, kIdGroup, self);
    SendMessageW(b1->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    flat::ButtonSetup run{"AUSWAHL STARTEN",  Scale(6), Scale(10), Scale(145), Scale(25), kIdRun,
                          verdanaBold_.get(), kGreen,   mrOk};
    bRUN = std::make_unique<flat::TfsBitBtn>(this, b1->Handle(), run);
    flat::ButtonSetup exit{"BEENDEN", Scale(162),         Scale(10), Scale(145), Scale(25),
                           kIdExit,   verdanaBold_.get(), kMaroon,   mrNone};
    bEXIT = std::make_unique<flat::TfsBitBtn>(this, b1->Handle(), exit);
    bRUN->SetOnModalResult([this](int result) { SetModalResult(result); });
    bEXIT->SetOnClick([this] { bEXITClick(); });

    vimage = std::make_unique<TImage>(self, kIdImage);
    Realign();
}

void TForm1::FormCreate() {
    SetOuterHeight(kStartupHeight);
    Timer1.SetEnabled(true);
    tPrograms.Open();
    tPrograms.Empty();
}

void TForm1::SetOuterHeight(int height) {
    RECT r;
    GetWindowRect(Handle(), &r);
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, Scale(height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Realign();
}

void TForm1::SetSelectionVisible(bool visible) {
    ShowWindow(b1->Handle(), visible ? SW_SHOWNA : SW_HIDE);
    b2->SetVisible(visible);
    Realign();
}

void TForm1::Realign() {
    if (!vimage || !b1 || !b2)
        return;
    RECT client;
    GetClientRect(Handle(), &client);
    const int width = client.right;
    int top = 0;
    SetWindowPos(vimage->Handle(), nullptr, 0, top, width, Scale(105),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    top += Scale(105);
    if (IsWindowVisible(b1->Handle()) || (GetWindowLongW(b1->Handle(), GWL_STYLE) & WS_VISIBLE)) {
        SetWindowPos(b1->Handle(), nullptr, 0, top, width, Scale(42),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        top += Scale(42);
    }
    const int barTop = client.bottom - Scale(22);
    SetWindowPos(BAR, nullptr, 0, barTop, width, Scale(22), SWP_NOZORDER | SWP_NOACTIVATE);
    b2->SetBounds(0, top, width, std::max(0, barTop - top));
}

void TForm1::ShowFirstTime() {
    if (!shownOnce_) {
        RECT r;
        GetWindowRect(Handle(), &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
        const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
        SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        shownOnce_ = true;
    }
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

bool TForm1::LoadBanner(const std::string& path) {
    const bool ok = vimage->Picture_().LoadFromFile(path);
    vimage->PictureChanged();
    return ok;
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    switch (msg) {
    case WM_TIMER:
        OnTimer(wp);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED)
            OnCommand(LOWORD(wp));
        return 0;
    case WM_DRAWITEM:
        ReflectToControl(msg, wp, lp, nullptr, result);
        return result;
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

void TForm1::OnTimer(UINT_PTR id) {
    if (id == Timer1.Id() && Timer1.Enabled()) {
        try {
            Timer1Timer();
        } catch (...) {
            Application& app = Application::instance();
            app.ShowException(std::current_exception());
            // With the window hidden (after a selection) nothing would be
            // left for the user to close: end the program instead.
            if (!IsWindowVisible(Handle()))
                app.Terminate();
        }
    } else if (id == waittimer.Id()) {
        waittimerTimer();
    }
}

void TForm1::OnCommand(int id) {
    if (id == kIdRun)
        bRUN->Click();
    else if (id == kIdExit)
        bEXIT->Click();
}

void TForm1::OnClose() {
    if (modal_)
        modalResult_ = mrCancel;
    else
        Application::instance().Terminate();
}

bool TForm1::OnKeyboard(MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB)
        return false;
    if (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd))
        return false;
    const bool back = GetKeyState(VK_SHIFT) < 0;
    if (HWND next = GetNextDlgTabItem(Handle(), GetFocus(), back))
        SetFocus(next);
    return true;
}

void TForm1::waittimerTimer() {
    waittimer.SetEnabled(false);
}

void TForm1::bEXITClick() {
    Application::instance().Terminate();
}

void TForm1::b2DblClick() {
    SetModalResult(mrOk);
}

void TForm1::ReadProgramm(const ProfileReader& config, const std::string& section) {
    vorlund::ReadProgramm(tPrograms, config, section);
}

void TForm1::LaunchProgram(RunState& run, int32_t id) {
    vorlund::LaunchProgram(*this, tPrograms, run, id);
}

bool TForm1::XCopyFile(const std::string& source, const std::string& destination) {
    return static_cast<bool>(vorlund::XCopyFile(*this, source, destination));
}

int TForm1::ShowModal() {
    HWND self = Handle();
    if (IsWindowVisible(self))
        throw std::runtime_error("Ein sichtbares Fenster kann nicht modal angezeigt werden");
    Application& app = Application::instance();
    DisabledWindows others(self);

    modal_ = true;
    modalResult_ = mrNone;
    ShowFirstTime();
    SetForegroundWindow(self);
    if (HWND first = GetNextDlgTabItem(self, nullptr, FALSE))
        SetFocus(first);
    while (true) {
        app.HandleMessage();
        if (app.Terminated())
            modalResult_ = mrCancel;
        if (modalResult_ != mrNone)
            break;
    }
    modal_ = false;
    others.Restore();
    ShowWindow(self, SW_HIDE);
    return modalResult_;
}

// ---- what the entry preparation needs of the window

void TForm1::ShowMessage(std::string_view text, MessageType type) {
    ShowMessageDialog(text, type, mbOK, 0);
}

void TForm1::ProcessMessages() {
    Application::instance().ProcessMessages();
}

void TForm1::SetBarRange(int32_t minimum, int32_t maximum) {
    SendMessageW(BAR, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
    barMax_ = maximum;
    barDrawn_ = -1;
    barToldAt_ = 0;
}

void TForm1::SetBarPosition(int32_t position) {
    // A repaint costs more than copying a chunk, and a bar that moves about
    // 30 times a second looks the same to a person: the bar is told when 33 ms
    // have passed and its drawn length has changed, and always at 0 and at its
    // end. The clock is asked first: it costs nothing, the bar's size does.
    const ULONGLONG now = GetTickCount64();
    const bool edge = position == barMax_ || position == 0;
    if (!edge && now - barToldAt_ < kBarInterval)
        return;
    RECT r;
    GetClientRect(BAR, &r);
    const int drawn =
        barMax_ > 0 ? static_cast<int>(static_cast<int64_t>(position) * r.right / barMax_) : 0;
    if (!edge && drawn == barDrawn_)
        return;
    barDrawn_ = drawn;
    barToldAt_ = now;
    ++barUpdates_;
    SendMessageW(BAR, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int32_t TForm1::BarMax() const {
    return static_cast<int32_t>(SendMessageW(BAR, PBM_GETRANGE, FALSE, 0));
}

void TForm1::ShowMainWindow() {
    if (IsWindowVisible(Handle()))
        return;
    ShowFirstTime();
    BringWindowToTop(Handle());
}

void TForm1::HideMainWindow() {
    ShowWindow(Handle(), SW_HIDE);
}

void TForm1::ShowWaiting() {
    SetSelectionVisible(false);
    SetOuterHeight(kStartupHeight);
    ShowMainWindow();
}

bool TForm1::EndRequested() const {
    return Application::instance().Terminated();
}

void TForm1::StartWaitTimer() {
    waittimer.SetEnabled(true);
}

bool TForm1::WaitTimerOn() const {
    return waittimer.Enabled();
}

void TForm1::WaitForMessage() {
    WaitMessage();
}

} // namespace vorlund

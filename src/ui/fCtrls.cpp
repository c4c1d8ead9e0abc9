#include "ui/fCtrls.h"

#include "ui/Utf8Text.h"
#include "win/Unicode.h"

namespace vorlund::flat {
namespace {

TFlatStyle defaultFlatStyle = TFlatStyle::fsFlat;

bool isFocused(HWND wnd) {
    return wnd && GetFocus() == wnd;
}

// Highlighted: under the mouse, or the focused control of the active window.
bool highlightedControl(HWND wnd, bool mouseInside) {
    return mouseInside || (isFocused(wnd) && GetActiveWindow() == GetAncestor(wnd, GA_ROOT));
}

} // namespace

TFlatStyle DefaultFlatStyle() {
    return defaultFlatStyle;
}

void SetDefaultFlatStyle(TFlatStyle style) {
    defaultFlatStyle = style;
}

TFlatStyle LookupFlatStyle(TComponent* owner) {
    TFlatStyle result = DefaultFlatStyle();
    if (owner && owner->IsForm()) {
        for (TComponent* c : owner->Components()) {
            if (auto* manager = dynamic_cast<TfsManager*>(c)) {
                result = manager->FlatStyle();
                break;
            }
        }
    }
    return result;
}

// ---- TfsManager

TfsManager::TfsManager(TComponent* owner)
    : TComponent(owner), flatStyle_(DefaultFlatStyle()), globalStyle_(DefaultFlatStyle()) {}

void TfsManager::SetFlatStyle(TFlatStyle value) {
    if (value == flatStyle_)
        return;
    flatStyle_ = value;
    BroadcastStyle(value, "FlatStyle");
}

void TfsManager::SetGlobalStyle(TFlatStyle value) {
    if (value == globalStyle_)
        return;
    SetDefaultFlatStyle(value);
    globalStyle_ = value;
    flatStyle_ = value;
    BroadcastStyle(value, "GlobalStyle");
}

void TfsManager::BroadcastStyle(TFlatStyle value, std::string_view propertyName) {
    // Copy: a setter may create or re-create components while we walk.
    const std::vector<TComponent*> forms = ApplicationComponent().Components();
    for (TComponent* c : forms)
        if (c->IsForm())
            ApplyStyleToForm(*c, value, propertyName);
}

void TfsManager::ApplyStyleToForm(TComponent& form, TFlatStyle value,
                                  std::string_view propertyName) {
    const std::vector<TComponent*> owned = form.Components();
    for (TComponent* c : owned) {
        if (c->IsControl())
            flat::SetStyleProperty("FlatStyle", c, value);
        else if (dynamic_cast<TfsManager*>(c))
            flat::SetStyleProperty(propertyName, c, value);
    }
}

bool TfsManager::SetStyleProperty(std::string_view name, TFlatStyle value) {
    if (name == "FlatStyle")
        SetFlatStyle(value);
    else if (name == "GlobalStyle")
        SetGlobalStyle(value);
    else
        return false;
    return true;
}

// ---- TfsBitBtn

TfsBitBtn::TfsBitBtn(TComponent* owner, HWND parent, const ButtonSetup& setup)
    : TComponent(owner), setup_(setup), flatStyle_(LookupFlatStyle(owner)) {
    HWND wnd = CreateWindowExW(0, L"BUTTON", win::Wide(setup.caption).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, setup.x, setup.y,
                               setup.width, setup.height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(setup.id)),
                               GetModuleHandleW(nullptr), nullptr);
    Attach(wnd);
    SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(setup.font), FALSE);
}

void TfsBitBtn::SetFlatStyle(TFlatStyle value) {
    if (value == flatStyle_)
        return;
    flatStyle_ = value;
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool TfsBitBtn::SetStyleProperty(std::string_view name, TFlatStyle value) {
    if (name != "FlatStyle")
        return false;
    SetFlatStyle(value);
    return true;
}

bool TfsBitBtn::Highlighted() const {
    return highlightedControl(Handle(), mouseInside_);
}

void TfsBitBtn::Click() {
    if (setup_.modalResult != 0 && onModalResult_)
        onModalResult_(setup_.modalResult);
    if (onClick_)
        onClick_();
}

LRESULT TfsBitBtn::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kReflectedDrawItem:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT r = Default(msg, wp, lp);
        OnFocusChange();
        return r;
    }
    case WM_MOUSEMOVE: {
        const LRESULT r = Default(msg, wp, lp);
        OnMouseMove();
        return r;
    }
    case WM_MOUSELEAVE: {
        const LRESULT r = Default(msg, wp, lp);
        OnMouseLeave();
        return r;
    }
    case WM_KEYDOWN:
        if (wp == VK_RETURN) {
            SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(setup_.id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(Handle()));
            return 0;
        }
        return Default(msg, wp, lp);
    default:
        return Default(msg, wp, lp);
    }
}

void TfsBitBtn::OnFocusChange() {
    if (flatStyle_ == TFlatStyle::fsFlat && !mouseInside_)
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TfsBitBtn::OnMouseMove() {
    if (flatStyle_ != TFlatStyle::fsFlat || mouseInside_)
        return;
    mouseInside_ = true;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&track);
    if (!isFocused(Handle()))
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TfsBitBtn::OnMouseLeave() {
    if (flatStyle_ != TFlatStyle::fsFlat || !mouseInside_)
        return;
    mouseInside_ = false;
    if (!isFocused(Handle()))
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TfsBitBtn::OnDrawItem(const DRAWITEMSTRUCT& item) {
    DrawBase(item);
    if (flatStyle_ == TFlatStyle::fsFlat)
        DrawFlatBorder(item, Highlighted());
}

// The button's own look: face, frame, caption (moved by one pixel while
// pressed) and the dotted focus rectangle four pixels inside the edge.
void TfsBitBtn::DrawBase(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

    RECT text = r;
    if (pressed)
        OffsetRect(&text, 1, 1);
    win::ScopedSelect font(dc, setup_.font ? setup_.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : setup_.textColour);
    DrawTextUtf8(dc, setup_.caption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawFocusRect(dc, &focus);
    }
}

void TfsBitBtn::DrawFlatBorder(const DRAWITEMSTRUCT& item, bool highlighted) {
    HDC dc = item.hDC;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    win::UniqueBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    RECT r;
    GetClientRect(Handle(), &r);
    FrameRect(dc, &r, face.get());
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, face.get());
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, face.get());
    InflateRect(&r, 1, 1);

    switch (buttonLook(flatStyle_, pressed, highlighted)) {
    case ButtonLook::Highlighted:
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_LEFT | BF_TOP);
        DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
        break;
    case ButtonLook::Pressed:
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        break;
    case ButtonLook::Raised:
    case ButtonLook::Standard:
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        break;
    }
}

} // namespace vorlund::flat

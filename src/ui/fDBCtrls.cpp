#include "ui/fDBCtrls.h"

#include "ui/Utf8Text.h"

#include "ui/fCtrls.h"
#include "win/Handles.h"

#include <algorithm>
#include <optional>
#include <windowsx.h>

namespace vorlund::flat {
namespace {

constexpr int kResizeGrip = 3;  // pixels either side of a column edge
constexpr int kCellPadding = 2; // text inset inside a cell
constexpr int kScrollStep = 8;  // pixels per horizontal arrow

int fontHeight(HDC dc, HFONT font) {
    win::ScopedSelect select(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    return tm.tmHeight;
}

} // namespace

TfsDBGrid::TfsDBGrid(TComponent* owner, HWND parent, const GridSetup& setup, TDataSource& source)
    : TComponent(owner), setup_(setup), source_(source), parent_(parent),
      flatStyle_(LookupFlatStyle(owner)) {
    RegisterClassOnce(kClassName, CS_DBLCLKS, nullptr);
    {
        win::WindowDc screen(nullptr);
        rowHeight_ = std::max(fontHeight(screen.get(), setup_.font),
                              fontHeight(screen.get(), setup_.column.titleFont)) +
                     4;
    }
    create();
    if (source_.DataSet)
        source_.DataSet->SetOnChange([this] { DataChanged(); });
}

TfsDBGrid::~TfsDBGrid() {
    if (source_.DataSet)
        source_.DataSet->SetOnChange(nullptr);
}

DWORD TfsDBGrid::style() const {
    DWORD s = WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | WS_CLIPSIBLINGS;
    if (setup_.visible)
        s |= WS_VISIBLE;
    if (flatStyle_ != TFlatStyle::fsFlat && !ctl3D_)
        s |= WS_BORDER;
    return s;
}

DWORD TfsDBGrid::exStyle() const {
    if (flatStyle_ == TFlatStyle::fsFlat || ctl3D_)
        return WS_EX_CLIENTEDGE;
    return 0;
}

void TfsDBGrid::create() {
    CreateWindowFor(exStyle(), kClassName, "", style(), setup_.x, setup_.y, setup_.width,
                    setup_.height, parent_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(setup_.id)));
    updateScrollBars();
}

void TfsDBGrid::SetFlatStyle(TFlatStyle value) {
    if (value == flatStyle_)
        return;
    flatStyle_ = value;
    // The creation parameters and the non-client size follow the new style.
    const bool hadFocus = GetFocus() == Handle();
    DestroyWindow(Handle());
    create();
    if (hadFocus)
        SetFocus(Handle());
}

bool TfsDBGrid::SetStyleProperty(std::string_view name, TFlatStyle value) {
    if (name != "FlatStyle")
        return false;
    SetFlatStyle(value);
    return true;
}

void TfsDBGrid::SetCtl3D(bool value) {
    if (flatStyle_ == TFlatStyle::fsFlat || value == ctl3D_)
        return; // the flat border does not follow the 3D look
    ctl3D_ = value;
    DestroyWindow(Handle());
    create();
}

bool TfsDBGrid::Highlighted() const {
    HWND wnd = Handle();
    return mouseInside_ || (GetFocus() == wnd && GetActiveWindow() == GetAncestor(wnd, GA_ROOT));
}

void TfsDBGrid::SetBounds(int x, int y, int width, int height) {
    setup_.x = x;
    setup_.y = y;
    setup_.width = width;
    setup_.height = height;
    SetWindowPos(Handle(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    updateScrollBars();
}

void TfsDBGrid::SetVisible(bool visible) {
    setup_.visible = visible;
    if (visible)
        DataChanged(); // what changed while hidden
    ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TfsDBGrid::SetColumnWidth(int width) {
    setup_.column.width = std::max(width, 1);
    updateScrollBars();
    InvalidateRect(Handle(), nullptr, FALSE);
}

int TfsDBGrid::TitleHeight() const {
    return (setup_.options & dgTitles) ? rowHeight_ : 0;
}

int TfsDBGrid::rowCount() const {
    return source_.DataSet ? source_.DataSet->RecordCount() : 0;
}

int TfsDBGrid::visibleRows() const {
    RECT client;
    GetClientRect(Handle(), &client);
    const int pitch = rowHeight_ + ((setup_.options & dgRowLines) ? 1 : 0);
    return std::max(1, static_cast<int>(client.bottom - TitleHeight()) / pitch);
}

int TfsDBGrid::contentWidth() const {
    const int indicator = (setup_.options & dgIndicator) ? setup_.indicatorWidth : 0;
    return indicator + setup_.column.width + ((setup_.options & dgColLines) ? 1 : 0);
}

int TfsDBGrid::RowAt(int y) const {
    const int pitch = rowHeight_ + ((setup_.options & dgRowLines) ? 1 : 0);
    if (y < TitleHeight())
        return -1;
    const int row = topRow_ + (y - TitleHeight()) / pitch;
    return row < rowCount() ? row : -1;
}

void TfsDBGrid::updateScrollBars() {
    HWND wnd = Handle();
    if (!wnd)
        return;
    // Showing one bar can make the other necessary: settle in two rounds.
    for (int round = 0; round < 2; ++round) {
        RECT client;
        GetClientRect(wnd, &client);
        const int rows = rowCount();
        const int page = visibleRows();
        topRow_ = std::clamp(topRow_, 0, std::max(0, rows - page));
        SCROLLINFO v{sizeof v, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
        if (rows > page) {
            v.nMax = rows - 1;
            v.nPage = static_cast<UINT>(page);
            v.nPos = topRow_;
        }
        SetScrollInfo(wnd, SB_VERT, &v, TRUE);

        const int width = contentWidth();
        scrollX_ = std::clamp(scrollX_, 0, std::max(0, width - static_cast<int>(client.right)));
        SCROLLINFO h{sizeof h, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
        if (width > client.right) {
            h.nMax = width - 1;
            h.nPage = static_cast<UINT>(client.right);
            h.nPos = scrollX_;
        }
        SetScrollInfo(wnd, SB_HORZ, &h, TRUE);
    }
}

void TfsDBGrid::scrollIntoView() {
    if (!source_.DataSet)
        return;
    const int current = source_.DataSet->VisibleRowOfCurrent();
    if (current < 0)
        return;
    const int page = visibleRows();
    if (current < topRow_)
        topRow_ = current;
    else if (current >= topRow_ + page)
        topRow_ = current - page + 1;
}

void TfsDBGrid::DataChanged() {
    // Hidden while the configuration is read: one record after another
    // changes nothing anybody sees, and showing the grid catches up.
    if (!setup_.visible)
        return;
    scrollIntoView();
    updateScrollBars();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TfsDBGrid::moveBy(int delta) {
    if (!source_.DataSet)
        return;
    const int rows = rowCount();
    if (rows == 0)
        return;
    const int current = std::max(0, source_.DataSet->VisibleRowOfCurrent());
    source_.DataSet->MoveToVisibleRow(std::clamp(current + delta, 0, rows - 1));
}

bool TfsDBGrid::onColumnEdge(int x, int y) const {
    if (!(setup_.options & dgColumnResize) || y >= TitleHeight())
        return false;
    const int indicator = (setup_.options & dgIndicator) ? setup_.indicatorWidth : 0;
    const int edge = indicator + setup_.column.width - scrollX_;
    return x >= edge - kResizeGrip && x <= edge + kResizeGrip;
}

LRESULT TfsDBGrid::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (const std::optional<LRESULT> r = PaintingMessage(msg, wp, lp))
        return *r;
    if (const std::optional<LRESULT> r = MouseMessage(msg, wp, lp))
        return *r;
    if (const std::optional<LRESULT> r = KeyboardMessage(msg, wp))
        return *r;
    return Default(msg, wp, lp);
}

std::optional<LRESULT> TfsDBGrid::PaintingMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PRINTCLIENT:
        OnPrintClient(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_PAINT:
        OnPaint();
        drawFlatBorderIfFlat();
        return 0;
    case WM_ERASEBKGND:
        drawFlatBorderIfFlat();
        return 1; // the painting covers the whole client area
    case WM_NCCALCSIZE:
        OnNcCalcSize(wp, lp);
        return Default(msg, wp, lp);
    case WM_NCPAINT:
        OnNcPaint();
        Default(msg, wp, lp);
        drawFlatBorderIfFlat();
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    default:
        return std::nullopt;
    }
}

std::optional<LRESULT> TfsDBGrid::MouseMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        OnLButtonDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
        if (resizing_)
            ReleaseCapture(); // ends the resize through WM_CAPTURECHANGED
        return 0;
    case WM_CAPTURECHANGED:
        resizing_ = false; // the capture may go elsewhere before the button is up
        return 0;
    case WM_LBUTTONDBLCLK:
        if (onDblClick_)
            onDblClick_();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(LOWORD(lp)) ? std::optional<LRESULT>(TRUE) : std::nullopt;
    case WM_MOUSEWHEEL:
        moveBy(-GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA);
        return 0;
    default:
        return std::nullopt;
    }
}

std::optional<LRESULT> TfsDBGrid::KeyboardMessage(UINT msg, WPARAM wp) {
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(Handle(), nullptr, FALSE);
        OnFocusChange(msg == WM_SETFOCUS);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wp);
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wp));
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wp));
        return 0;
    default:
        return std::nullopt;
    }
}

void TfsDBGrid::drawFlatBorderIfFlat() {
    if (flatStyle_ == TFlatStyle::fsFlat)
        DrawFlatBorder(Handle(), Highlighted());
}

void TfsDBGrid::OnPrintClient(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    PaintContent(dc, client);
}

void TfsDBGrid::OnSize() {
    updateScrollBars();
    InvalidateRect(Handle(), nullptr, FALSE);
}

// The resize cursor over a column edge and while resizing; false leaves the
// cursor to the system.
bool TfsDBGrid::OnSetCursor(UINT hitTest) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(Handle(), &p);
    if (hitTest != HTCLIENT || !(resizing_ || onColumnEdge(p.x, p.y)))
        return false;
    SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
    return true;
}

void TfsDBGrid::OnNcCalcSize(WPARAM wp, LPARAM lp) {
    if (flatStyle_ != TFlatStyle::fsFlat)
        return;
    // One pixel more than the client edge: a border three pixels wide.
    RECT* proposed =
        wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
    InflateRect(proposed, -1, -1);
}

void TfsDBGrid::OnNcPaint() {
    if (flatStyle_ != TFlatStyle::fsFlat || !HasBothScrollBars(Handle()))
        return;
    RECT r;
    GetWindowRect(Handle(), &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    const Rect square =
        cornerSquare(Rect{r.left, r.top, r.right, r.bottom}, GetSystemMetrics(SM_CXVSCROLL),
                     GetSystemMetrics(SM_CYHSCROLL));
    const RECT fill{square.left, square.top, square.right, square.bottom};
    win::WindowDc dc(Handle(), win::WindowDc::WholeWindow);
    FillRect(dc.get(), &fill, GetSysColorBrush(COLOR_BTNFACE));
}

void TfsDBGrid::DrawFlatBorder(HWND wnd, bool highlighted) {
    PaintFlatWindowBorder(wnd, highlighted);
}

void TfsDBGrid::OnPaint() {
    win::PaintDc paint(Handle());
    RECT client;
    GetClientRect(Handle(), &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    // Drawn off screen first so that moving the selection does not flicker.
    win::UniqueMemoryDc memory(CreateCompatibleDC(paint.get()));
    win::UniqueBitmap canvas(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
    if (!memory || !canvas) {
        PaintContent(paint.get(), client);
        return;
    }
    {
        win::ScopedSelect select(memory.get(), canvas.get());
        PaintContent(memory.get(), client);
        BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
}

void TfsDBGrid::DrawFixedCell(HDC dc, RECT cell) {
    FillRect(dc, &cell, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &cell, BDR_RAISEDINNER, BF_RECT);
    const bool flatOverlay = flatStyle_ == TFlatStyle::fsFlat && (setup_.options & dgColLines) &&
                             (setup_.options & dgRowLines);
    if (flatOverlay) {
        win::UniqueBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
        FrameRect(dc, &cell, face.get());
        InflateRect(&cell, 1, 1);
        DrawEdge(dc, &cell, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM | BF_FLAT);
    }
}

void TfsDBGrid::DrawIndicator(HDC dc, const RECT& cell) {
    // A small black triangle pointing at the current row.
    const int cx = (cell.left + cell.right) / 2;
    const int cy = (cell.top + cell.bottom) / 2;
    const int half = std::max(2, static_cast<int>(cell.right - cell.left) / 4);
    POINT pts[3] = {
        {cx - half / 2, cy - half}, {cx - half / 2, cy + half}, {cx + half / 2 + 1, cy}};
    win::ScopedSelect brush(dc, GetStockObject(BLACK_BRUSH));
    win::ScopedSelect pen(dc, GetStockObject(BLACK_PEN));
    Polygon(dc, pts, 3);
}

void TfsDBGrid::PaintContent(HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    const bool lines = (setup_.options & dgRowLines) != 0;
    const int pitch = rowHeight_ + (lines ? 1 : 0);
    const int indicator = (setup_.options & dgIndicator) ? setup_.indicatorWidth : 0;
    const int colLeft = indicator - scrollX_;
    const int colRight = colLeft + setup_.column.width;
    win::UniqueBrush lineBrush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));

    const int title = TitleHeight();
    if (title > 0) {
        RECT cell{colLeft, 0, colRight, title};
        DrawFixedCell(dc, cell);
        win::ScopedSelect font(dc, setup_.column.titleFont ? setup_.column.titleFont : setup_.font);
        SetTextColor(dc, setup_.column.titleColour);
        RECT text{cell.left + kCellPadding, cell.top, cell.right - kCellPadding, cell.bottom};
        DrawTextUtf8(dc, setup_.column.title, text,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (indicator > 0)
            DrawFixedCell(dc, RECT{0, 0, indicator, title});
    }

    ProgramList* data = source_.DataSet;
    const int rows = rowCount();
    const int current = data ? data->VisibleRowOfCurrent() : -1;
    const bool focused = GetFocus() == Handle();
    win::ScopedSelect font(dc, setup_.font ? setup_.font : GetStockObject(DEFAULT_GUI_FONT));
    for (int row = topRow_; row < rows; ++row) {
        const int top = title + (row - topRow_) * pitch;
        if (top >= client.bottom)
            break;
        RECT cell{std::max(colLeft, indicator), top, colRight, top + rowHeight_};
        const bool selected = row == current;
        if (selected)
            FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::string text = data->VisibleText(row, setup_.column.fieldName);
        RECT textRect{colLeft + kCellPadding, top, colRight - kCellPadding, top + rowHeight_};
        {
            win::UniqueRegion clip(CreateRectRgn(cell.left, cell.top, cell.right, cell.bottom));
            SelectClipRgn(dc, clip.get());
            DrawTextUtf8(dc, text, textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectClipRgn(dc, nullptr);
        }
        if (selected && focused)
            DrawFocusRect(dc, &cell);
        if (lines) {
            RECT line{0, top + rowHeight_, colRight, top + rowHeight_ + 1};
            FillRect(dc, &line, lineBrush.get());
        }
        if (indicator > 0) {
            RECT ind{0, top, indicator, top + rowHeight_};
            DrawFixedCell(dc, ind);
            if (selected)
                DrawIndicator(dc, ind);
        }
    }
}

void TfsDBGrid::OnLButtonDown(int x, int y) {
    SetFocus(Handle());
    if (onColumnEdge(x, y)) {
        resizing_ = true;
        SetCapture(Handle());
        return;
    }
    const int row = RowAt(y);
    if (row >= 0 && source_.DataSet)
        source_.DataSet->MoveToVisibleRow(row);
}

void TfsDBGrid::OnMouseMove(int x, int y) {
    if (resizing_) {
        const int indicator = (setup_.options & dgIndicator) ? setup_.indicatorWidth : 0;
        SetColumnWidth(x + scrollX_ - indicator);
        return;
    }
    (void)y;
    if (flatStyle_ != TFlatStyle::fsFlat || mouseInside_)
        return;
    mouseInside_ = true;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&track);
    if (GetFocus() != Handle())
        DrawFlatBorder(Handle(), true);
}

void TfsDBGrid::OnMouseLeave() {
    if (flatStyle_ != TFlatStyle::fsFlat || !mouseInside_)
        return;
    mouseInside_ = false;
    if (GetFocus() != Handle())
        DrawFlatBorder(Handle(), false);
}

void TfsDBGrid::OnFocusChange(bool gained) {
    if (flatStyle_ == TFlatStyle::fsFlat && !mouseInside_)
        DrawFlatBorder(Handle(), gained);
}

void TfsDBGrid::OnKeyDown(WPARAM key) {
    const int page = visibleRows();
    switch (key) {
    case VK_UP:
        moveBy(-1);
        break;
    case VK_DOWN:
        moveBy(1);
        break;
    case VK_PRIOR:
        moveBy(-page);
        break;
    case VK_NEXT:
        moveBy(page);
        break;
    case VK_HOME:
        moveBy(-rowCount());
        break;
    case VK_END:
        moveBy(rowCount());
        break;
    case VK_LEFT:
        OnHScroll(SB_LINELEFT);
        break;
    case VK_RIGHT:
        OnHScroll(SB_LINERIGHT);
        break;
    default:
        break; // Enter and Escape do nothing here
    }
}

void TfsDBGrid::OnVScroll(int code) {
    switch (code) {
    case SB_LINEUP:
        moveBy(-1);
        return;
    case SB_LINEDOWN:
        moveBy(1);
        return;
    case SB_PAGEUP:
        moveBy(-visibleRows());
        return;
    case SB_PAGEDOWN:
        moveBy(visibleRows());
        return;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(Handle(), SB_VERT, &info);
        topRow_ = info.nTrackPos;
        updateScrollBars();
        InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    default:
        return;
    }
}

void TfsDBGrid::OnHScroll(int code) {
    RECT client;
    GetClientRect(Handle(), &client);
    switch (code) {
    case SB_LINELEFT:
        scrollX_ -= kScrollStep;
        break;
    case SB_LINERIGHT:
        scrollX_ += kScrollStep;
        break;
    case SB_PAGELEFT:
        scrollX_ -= client.right;
        break;
    case SB_PAGERIGHT:
        scrollX_ += client.right;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(Handle(), SB_HORZ, &info);
        scrollX_ = info.nTrackPos;
        break;
    }
    default:
        return;
    }
    updateScrollBars();
    InvalidateRect(Handle(), nullptr, FALSE);
}

} // namespace vorlund::flat

#include "ui/fUtils.h"

#include "win/Handles.h"

namespace vorlund::flat {
namespace {
COLORREF borderColour = 0;
}

void InitFlatBorderColour() {
    win::WindowDc screen(nullptr);
    borderColour = flat::flatBorderColour(GetDeviceCaps(screen.get(), BITSPIXEL),
                                          GetSysColor(COLOR_SCROLLBAR), GetSysColor(COLOR_WINDOW));
}

COLORREF FlatBorderColour() {
    return borderColour;
}

void PaintFlatWindowBorder(HWND wnd, bool highlighted) {
    win::WindowDc dc(wnd, win::WindowDc::WholeWindow);
    if (dc.get())
        PaintFlatBorderRings(wnd, dc.get(), highlighted);
}

void PaintFlatBorderRings(HWND wnd, HDC dc, bool highlighted) {
    win::UniqueBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    win::UniqueBrush border(CreateSolidBrush(FlatBorderColour()));
    RECT r;
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    if (highlighted) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        FrameRect(dc, &r, face.get());
    } else {
        FrameRect(dc, &r, face.get());
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, face.get());
    }
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, border.get());
}

bool HasBothScrollBars(HWND wnd) {
    int minimum = 0, maximum = 0;
    GetScrollRange(wnd, SB_HORZ, &minimum, &maximum);
    if (minimum == maximum)
        return false;
    GetScrollRange(wnd, SB_VERT, &minimum, &maximum);
    return minimum != maximum;
}

void SetStyleProperty(std::string_view name, StyledComponent* component, TFlatStyle value) {
    if (component)
        component->SetStyleProperty(name, value);
}

} // namespace vorlund::flat

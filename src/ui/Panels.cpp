#include "ui/Panels.h"

#include "ui/FlatLook.h"
#include "win/Handles.h"

namespace vorlund {

TImage::TImage(HWND parent, int id) {
    RegisterClassOnce(kClassName, 0, GetSysColorBrush(COLOR_BTNFACE));
    CreateWindowFor(0, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT TImage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT)
        return Default(msg, wp, lp);
    win::PaintDc paint(Handle());
    if (!picture_.Empty()) {
        RECT client;
        GetClientRect(Handle(), &client);
        const flat::Placement at =
            flat::centred(client.right, client.bottom, picture_.Width(), picture_.Height());
        picture_.Draw(paint.get(), at.x, at.y);
    }
    return 0;
}

TGroupBox::TGroupBox(HWND parent, int id, HWND commandTarget) : commandTarget_(commandTarget) {
    RegisterClassOnce(kClassName, 0, GetSysColorBrush(COLOR_BTNFACE));
    CreateWindowFor(WS_EX_CONTROLPARENT, kClassName, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                    parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT TGroupBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToControl(msg, wp, lp, commandTarget_, result))
        return result;
    if (msg != WM_PAINT)
        return Default(msg, wp, lp);
    win::PaintDc paint(Handle());
    RECT frame;
    GetClientRect(Handle(), &frame);
    TEXTMETRICA tm{};
    GetTextMetricsA(paint.get(), &tm);
    frame.top += tm.tmHeight / 2; // where a caption's middle would be
    DrawEdge(paint.get(), &frame, EDGE_ETCHED, BF_RECT);
    return 0;
}

} // namespace vorlund

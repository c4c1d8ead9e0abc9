#include "ui/FlatLook.h"

namespace vorlund::flat {

ButtonLook buttonLook(TFlatStyle style, bool pressed, bool highlighted) {
    if (style != TFlatStyle::fsFlat)
        return ButtonLook::Standard;
    if (pressed)
        return ButtonLook::Pressed;
    return highlighted ? ButtonLook::Highlighted : ButtonLook::Raised;
}

RingLook windowBorderLook(TFlatStyle style, bool highlighted) {
    if (style != TFlatStyle::fsFlat)
        return RingLook::Standard;
    return highlighted ? RingLook::Sunken : RingLook::ButtonFace;
}

Colour flatBorderColour(int bitsPerPixel, Colour scrollBar, Colour window) {
    if (bitsPerPixel <= 8)
        return window;
    Colour out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t part = ((scrollBar >> shift) & 0xFF) + 0x18;
        if (part > 0xFF)
            part = 0xFF;
        out |= part << shift;
    }
    return out;
}

Rect cornerSquare(Rect w, int vscrollWidth, int hscrollHeight) {
    return Rect{w.right - vscrollWidth, w.bottom - hscrollHeight, w.right, w.bottom};
}

Rect borderRing(int width, int height, int n) {
    return Rect{n, n, width - n, height - n};
}

Placement centred(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight) {
    return Placement{(areaWidth - pictureWidth) / 2, (areaHeight - pictureHeight) / 2};
}

} // namespace vorlund::flat

#pragma once
// The portable rules of the flat-style controls: which border look a control
// shows, the flat border colour, and the rectangles the painting uses.
#include <cstdint>

namespace vorlund::flat {

enum class TFlatStyle : uint8_t { fsStandard = 0, fsFlat = 1 };

// What a flat button's border shows for its state.
enum class ButtonLook { Standard, Raised, Highlighted, Pressed };

ButtonLook buttonLook(TFlatStyle style, bool pressed, bool highlighted);

// What the outermost ring of a flat window border shows.
enum class RingLook { Standard, ButtonFace, Sunken };

RingLook windowBorderLook(TFlatStyle style, bool highlighted);

// A colour as Windows stores it: 0x00BBGGRR.
using Colour = uint32_t;

// The flat border colour: the scroll-bar colour lightened by 24 in each part
// (a part that would pass 255 stays at 255) on screens of more than 8 bits per
// pixel, else the window colour.
Colour flatBorderColour(int bitsPerPixel, Colour scrollBar, Colour window);

struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

// The square between both scroll bars, given the window rectangle in the
// control's client coordinates and the scroll bar sizes.
Rect cornerSquare(Rect windowInClient, int vscrollWidth, int hscrollHeight);

// The n-th one-pixel ring (0 = outermost) of a window of the given size.
Rect borderRing(int width, int height, int n);

// Where a picture lands when it is centred in an area without scaling;
// a larger picture gets a negative offset and is cropped equally.
struct Placement {
    int x, y;
};
Placement centred(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight);

} // namespace vorlund::flat

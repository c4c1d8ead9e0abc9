#pragma once
// Shared painting of the flat-style controls: the flat border colour, the
// three outer rings of a window's border, the scroll-bar test, and setting a
// style property by name.
#include "ui/FlatLook.h"

#include <windows.h>

#include <string_view>

namespace vorlund::flat {

// Computed once when the library starts.
void InitFlatBorderColour();
COLORREF FlatBorderColour();

void PaintFlatWindowBorder(HWND wnd, bool highlighted);
void PaintFlatBorderRings(HWND wnd, HDC dc, bool highlighted);
bool HasBothScrollBars(HWND wnd);

// A component whose class publishes properties that can be set by name.
class StyledComponent {
  public:
    virtual ~StyledComponent() = default;
    // Sets the named property through its setter; false when there is none.
    virtual bool SetStyleProperty(std::string_view name, TFlatStyle value) = 0;
};

// Sets the property when the component has one of that name; a component
// without it is left alone.
void SetStyleProperty(std::string_view name, StyledComponent* component, TFlatStyle value);

} // namespace vorlund::flat

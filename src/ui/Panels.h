#pragma once
// Two plain child windows of the main window: the banner image and the
// caption-less group box that holds the two buttons.
#include "ui/Picture.h"
#include "ui/Window.h"

namespace vorlund {

// Shows a picture centred in its area without scaling, on the window colour.
class TImage : public Window {
  public:
    static constexpr const char* kClassName = "TImage";
    TImage(HWND parent, int id);
    Picture& Picture_() { return picture_; }
    void PictureChanged() { InvalidateRect(Handle(), nullptr, TRUE); }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    Picture picture_;
};

// A group frame without caption. Its buttons' draw requests go back to
// them; their commands go on to the form.
class TGroupBox : public Window {
  public:
    static constexpr const char* kClassName = "TGroupBox";
    TGroupBox(HWND parent, int id, HWND commandTarget);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    HWND commandTarget_;
};

} // namespace vorlund

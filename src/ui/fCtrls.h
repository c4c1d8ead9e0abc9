#pragma once
// The flat style, its lookup for new controls, the manager that sets it on
// every flat control of every form, and the flat push button.
#include "ui/Component.h"
#include "ui/Window.h"
#include "win/Handles.h"

#include <functional>
#include <string>

namespace vorlund::flat {

TFlatStyle DefaultFlatStyle();
void SetDefaultFlatStyle(TFlatStyle style);

// The style for a flat control created with this owner: the FlatStyle of the
// first manager the owning form holds, else the default flat style.
TFlatStyle LookupFlatStyle(TComponent* owner);

class TfsManager : public TComponent {
  public:
    explicit TfsManager(TComponent* owner);

    TFlatStyle FlatStyle() const { return flatStyle_; }
    TFlatStyle GlobalStyle() const { return globalStyle_; }
    void SetFlatStyle(TFlatStyle value);
    void SetGlobalStyle(TFlatStyle value);
    virtual void BroadcastStyle(TFlatStyle value, std::string_view propertyName);
    void ApplyStyleToForm(TComponent& form, TFlatStyle value, std::string_view propertyName);
    bool SetStyleProperty(std::string_view name, TFlatStyle value) override;

  private:
    TFlatStyle flatStyle_;
    TFlatStyle globalStyle_;
};

// What a flat button is told when it is created.
struct ButtonSetup {
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0;
    int id = 0;
    HFONT font = nullptr;
    COLORREF textColour = 0;
    int modalResult = 0;
};

// An owner-drawn push button with a flat border that is highlighted while
// the mouse is over it or it has the focus.
class TfsBitBtn : public TComponent, public SubclassedControl {
  public:
    TfsBitBtn(TComponent* owner, HWND parent, const ButtonSetup& setup);

    bool IsControl() const override { return true; }
    TFlatStyle FlatStyle() const { return flatStyle_; }
    void SetFlatStyle(TFlatStyle value);
    bool SetStyleProperty(std::string_view name, TFlatStyle value) override;
    bool MouseInside() const { return mouseInside_; }
    int ModalResult() const { return setup_.modalResult; }
    int Id() const { return setup_.id; }

    // Called for every click: the modal result goes to the form first.
    void SetOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }
    void SetOnModalResult(std::function<void(int)> f) { onModalResult_ = std::move(f); }
    void Click();

    virtual void DrawFlatBorder(const DRAWITEMSTRUCT& item, bool highlighted);
    bool Highlighted() const;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void DrawBase(const DRAWITEMSTRUCT& item);
    void OnFocusChange();
    void OnMouseMove();
    void OnMouseLeave();

    ButtonSetup setup_;
    TFlatStyle flatStyle_;
    bool mouseInside_ = false;
    std::function<void()> onClick_;
    std::function<void(int)> onModalResult_;
};

} // namespace vorlund::flat

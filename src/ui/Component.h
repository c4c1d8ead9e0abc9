#pragma once
// Ownership of components as the flat-style library sees it: the application
// owns the forms, a form owns its controls and managers, in creation order.
#include "ui/fUtils.h"

#include <vector>

namespace vorlund::flat {

class TComponent : public StyledComponent {
  public:
    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    virtual bool IsForm() const { return false; }
    virtual bool IsControl() const { return false; }
    bool SetStyleProperty(std::string_view, TFlatStyle) override { return false; }

  private:
    TComponent* owner_;
    std::vector<TComponent*> components_;
};

// The application object in its role as the owner of every form.
TComponent& ApplicationComponent();

} // namespace vorlund::flat

#include "ui/Component.h"

#include <algorithm>

namespace vorlund::flat {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_)
        owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    if (owner_) {
        auto& siblings = owner_->components_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (TComponent* child : components_)
        child->owner_ = nullptr;
}

TComponent& ApplicationComponent() {
    static TComponent application(nullptr);
    return application;
}

} // namespace vorlund::flat

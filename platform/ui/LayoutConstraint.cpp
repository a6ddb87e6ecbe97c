#include "platform/ui/LayoutConstraint.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/View.h"

namespace ui {

QV_DEFINE_CLASS(LayoutConstraint, "NSLayoutConstraint");

namespace {

enum class AttributeKind { X, Y, Dimension };

AttributeKind kindOf(LayoutAttribute a) {
    switch (a) {
        case LayoutAttribute::Left:
        case LayoutAttribute::Right:
        case LayoutAttribute::Leading:
        case LayoutAttribute::Trailing:
        case LayoutAttribute::CenterX:
            return AttributeKind::X;
        case LayoutAttribute::Top:
        case LayoutAttribute::Bottom:
        case LayoutAttribute::CenterY:
            return AttributeKind::Y;
        case LayoutAttribute::Width:
        case LayoutAttribute::Height:
            return AttributeKind::Dimension;
    }
    return AttributeKind::Dimension;
}

std::shared_ptr<LayoutConstraint> make(const LayoutAnchor& first, LayoutRelation relation,
                                       const std::optional<LayoutAnchor>& second, double multiplier,
                                       double constant) {
    if (first.item().view.expired() || !std::isfinite(constant) || !std::isfinite(multiplier)) {
        return nullptr;
    }
    if (second) {
        if (second->item().view.expired()) return nullptr;
        if (kindOf(first.attribute()) != kindOf(second->attribute())) return nullptr;
    } else if (kindOf(first.attribute()) != AttributeKind::Dimension) {
        return nullptr;
    }
    return std::make_shared<LayoutConstraint>(first, relation, second, multiplier, constant);
}

}  // namespace

// ---- Anchor factories ------------------------------------------------------------------------

std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintEqualToAnchor(const LayoutAnchor& other,
                                                                        double constant) const {
    return make(*this, LayoutRelation::Equal, other, 1, constant);
}
std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintGreaterThanOrEqualToAnchor(
    const LayoutAnchor& other, double constant) const {
    return make(*this, LayoutRelation::GreaterThanOrEqual, other, 1, constant);
}
std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintLessThanOrEqualToAnchor(
    const LayoutAnchor& other, double constant) const {
    return make(*this, LayoutRelation::LessThanOrEqual, other, 1, constant);
}
std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintEqualToAnchor(const LayoutAnchor& other,
                                                                        double multiplier,
                                                                        double constant) const {
    if (kindOf(attribute_) != AttributeKind::Dimension) return nullptr;
    return make(*this, LayoutRelation::Equal, other, multiplier, constant);
}
std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintEqualToConstant(double constant) const {
    return make(*this, LayoutRelation::Equal, std::nullopt, 0, constant);
}
std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintGreaterThanOrEqualToConstant(
    double constant) const {
    return make(*this, LayoutRelation::GreaterThanOrEqual, std::nullopt, 0, constant);
}
std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintLessThanOrEqualToConstant(
    double constant) const {
    return make(*this, LayoutRelation::LessThanOrEqual, std::nullopt, 0, constant);
}

// ---- Constraint ------------------------------------------------------------------------------

LayoutConstraint::LayoutConstraint(LayoutAnchor first, LayoutRelation relation,
                                   std::optional<LayoutAnchor> second, double multiplier,
                                   double constant)
    : first_(std::move(first)),
      second_(std::move(second)),
      relation_(relation),
      multiplier_(multiplier),
      constant_(constant) {}

void LayoutConstraint::requestLayout() {
    // The solving view is an ancestor of the items or the items' superview; asking every
    // candidate costs nothing and stays right when the tree changes later.
    const auto ask = [](const std::shared_ptr<View>& v) {
        if (!v) return;
        v->setNeedsLayout();
        if (const std::shared_ptr<View> s = v->superview()) s->setNeedsLayout();
    };
    ask(first_.item().view.lock());
    if (second_) ask(second_->item().view.lock());
}

void LayoutConstraint::setConstant(double constant) {
    if (!std::isfinite(constant) || constant == constant_) return;
    constant_ = constant;
    if (active_) requestLayout();
}

void LayoutConstraint::setActive(bool active) {
    if (active == active_) return;
    std::shared_ptr<View> a = first_.item().view.lock();
    std::shared_ptr<View> b = second_ ? second_->item().view.lock() : nullptr;
    if (active && !a) return;
    active_ = active;
    const std::shared_ptr<LayoutConstraint> self = runtime::retained(this);
    for (const std::shared_ptr<View>& v : {a, b}) {
        if (!v) continue;
        auto& list = v->constraints_;
        if (active) {
            if (std::find(list.begin(), list.end(), self) == list.end()) list.push_back(self);
        } else {
            std::erase(list, self);
        }
    }
    requestLayout();
}

void LayoutConstraint::activateConstraints(
    const std::vector<std::shared_ptr<LayoutConstraint>>& list) {
    for (const auto& c : list) {
        if (c) c->setActive(true);
    }
}

void LayoutConstraint::deactivateConstraints(
    const std::vector<std::shared_ptr<LayoutConstraint>>& list) {
    for (const auto& c : list) {
        if (c) c->setActive(false);
    }
}

}  // namespace ui

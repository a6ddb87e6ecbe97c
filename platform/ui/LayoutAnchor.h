#pragma once

#include <memory>

namespace ui {

class View;
class LayoutConstraint;

enum class LayoutAttribute {
    Left,
    Right,
    Top,
    Bottom,
    Leading,
    Trailing,
    Width,
    Height,
    CenterX,
    CenterY,
};

enum class LayoutAxis { Horizontal = 0, Vertical = 1 };

// The rectangles of a view that constraints can refer to besides its frame.
enum class LayoutGuideKind {
    None,      // the view itself
    SafeArea,  // the bounds less the safe-area insets
    Content,   // a scroll view's content: its extent becomes the content size
    Frame,     // a scroll view's own visible rectangle
};

// What a constraint ties: a view, or one of a view's guides. Held weakly: a constraint does not
// keep the views it lays out alive.
struct LayoutItem {
    std::weak_ptr<View> view;
    LayoutGuideKind guide = LayoutGuideKind::None;

    bool refersTo(const LayoutItem& other) const {
        return !view.owner_before(other.view) && !other.view.owner_before(view) &&
               guide == other.guide;
    }
};

// One edge, centre or dimension of an item ("NSLayoutAnchor"). Its factories make inactive
// constraints; they return nullptr when the two anchors mix positions and dimensions or
// horizontal and vertical attributes, or when an anchor belongs to no live view.
class LayoutAnchor {
  public:
    LayoutAnchor(LayoutItem item, LayoutAttribute attribute)
        : item_(std::move(item)), attribute_(attribute) {}

    const LayoutItem& item() const { return item_; }
    LayoutAttribute attribute() const { return attribute_; }

    std::shared_ptr<LayoutConstraint> constraintEqualToAnchor(const LayoutAnchor& other,
                                                              double constant = 0) const;
    std::shared_ptr<LayoutConstraint> constraintGreaterThanOrEqualToAnchor(
        const LayoutAnchor& other, double constant = 0) const;
    std::shared_ptr<LayoutConstraint> constraintLessThanOrEqualToAnchor(const LayoutAnchor& other,
                                                                        double constant = 0) const;
    // Dimensions only.
    std::shared_ptr<LayoutConstraint> constraintEqualToAnchor(const LayoutAnchor& other,
                                                              double multiplier,
                                                              double constant) const;
    std::shared_ptr<LayoutConstraint> constraintEqualToConstant(double constant) const;
    std::shared_ptr<LayoutConstraint> constraintGreaterThanOrEqualToConstant(double constant) const;
    std::shared_ptr<LayoutConstraint> constraintLessThanOrEqualToConstant(double constant) const;

  private:
    LayoutItem item_;
    LayoutAttribute attribute_;
};

// A rectangle belonging to a view that constraints can pin to ("UILayoutGuide").
class LayoutGuide {
  public:
    explicit LayoutGuide(LayoutItem item) : item_(std::move(item)) {}

    LayoutAnchor leadingAnchor() const { return {item_, LayoutAttribute::Leading}; }
    LayoutAnchor trailingAnchor() const { return {item_, LayoutAttribute::Trailing}; }
    LayoutAnchor leftAnchor() const { return {item_, LayoutAttribute::Left}; }
    LayoutAnchor rightAnchor() const { return {item_, LayoutAttribute::Right}; }
    LayoutAnchor topAnchor() const { return {item_, LayoutAttribute::Top}; }
    LayoutAnchor bottomAnchor() const { return {item_, LayoutAttribute::Bottom}; }
    LayoutAnchor widthAnchor() const { return {item_, LayoutAttribute::Width}; }
    LayoutAnchor heightAnchor() const { return {item_, LayoutAttribute::Height}; }
    LayoutAnchor centerXAnchor() const { return {item_, LayoutAttribute::CenterX}; }
    LayoutAnchor centerYAnchor() const { return {item_, LayoutAttribute::CenterY}; }

  private:
    LayoutItem item_;
};

}  // namespace ui

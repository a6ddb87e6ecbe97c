#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/runtime/Runtime.h"
#include "platform/ui/LayoutAnchor.h"

namespace ui {

enum class LayoutRelation { LessThanOrEqual = -1, Equal = 0, GreaterThanOrEqual = 1 };

// first.attribute (relation) second.attribute × multiplier + constant, or, without a second
// anchor, first.attribute (relation) constant ("NSLayoutConstraint").
//
// An active constraint is held by the views it names (strongly) and names them weakly. The
// layout pass of the view that contains both items solves it: equalities first, then the
// inequalities as bounds, then intrinsic sizes for what is still open (see ConstraintSolver.h).
// Changing the constant or (de)activating asks that view for layout.
class LayoutConstraint : public runtime::Object {
    QV_OBJECT(LayoutConstraint, runtime::Object);

  public:
    static constexpr float kRequired = 1000;

    LayoutConstraint(LayoutAnchor first, LayoutRelation relation,
                     std::optional<LayoutAnchor> second, double multiplier, double constant);

    const LayoutAnchor& firstAnchor() const { return first_; }
    const std::optional<LayoutAnchor>& secondAnchor() const { return second_; }
    LayoutRelation relation() const { return relation_; }
    double multiplier() const { return multiplier_; }
    double constant() const { return constant_; }
    void setConstant(double constant);
    float priority() const { return priority_; }
    void setPriority(float priority) { priority_ = priority; }

    bool isActive() const { return active_; }
    void setActive(bool active);
    static void activateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& list);
    static void deactivateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& list);

  private:
    void requestLayout();

    LayoutAnchor first_;
    std::optional<LayoutAnchor> second_;
    LayoutRelation relation_;
    double multiplier_;
    double constant_;
    float priority_ = kRequired;
    bool active_ = false;
};

}  // namespace ui

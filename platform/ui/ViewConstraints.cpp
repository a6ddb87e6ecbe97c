// View's side of constraint layout: the flags and priorities the solver reads.
#include <algorithm>
#include <cmath>

#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/View.h"
#include "platform/ui/detail/ConstraintSolver.h"

namespace ui {

void View::setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
    if (translates == translatesMask_) return;
    translatesMask_ = translates;
    if (superview_ != nullptr) superview_->setNeedsLayout();
}

void View::setContentHuggingPriority(float priority, LayoutAxis axis) {
    if (!std::isfinite(priority)) return;
    priority = std::clamp(priority, 1.0f, 1000.0f);
    if (hugging_[int(axis)] == priority) return;
    hugging_[int(axis)] = priority;
    invalidateIntrinsicContentSize();
}

void View::setContentCompressionResistancePriority(float priority, LayoutAxis axis) {
    if (!std::isfinite(priority)) return;
    priority = std::clamp(priority, 1.0f, 1000.0f);
    if (resistance_[int(axis)] == priority) return;
    resistance_[int(axis)] = priority;
    invalidateIntrinsicContentSize();
}

base::Size View::systemLayoutSizeFittingSize(base::Size target) {
    if (!detail::ConstraintSolver::hasConstraintsToSolve(*this)) {
        const base::Size intrinsic = intrinsicContentSize();
        return {intrinsic.width != kNoIntrinsicMetric ? intrinsic.width : bounds().width(),
                intrinsic.height != kNoIntrinsicMetric ? intrinsic.height : bounds().height()};
    }
    return detail::ConstraintSolver::fittingSize(*this, target);
}

void View::invalidateIntrinsicContentSize() {
    // Whoever sizes this view by its content may be any ancestor: a stack, a view whose
    // constraints take its subviews' sizes, a scroll view's content guide.
    for (View* v = superview_; v != nullptr; v = v->superview_) v->needsLayout_ = true;
    if (superview_ != nullptr) superview_->setNeedsLayout();
}

}  // namespace ui

#include "platform/ui/StackView.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/detail/ConstraintSolver.h"

namespace ui {

QV_DEFINE_CLASS(StackView, "UIStackView");

void StackView::registerMethods(runtime::MethodList<StackView>& methods) {
    methods.add<&StackView::layoutStack>(kLayoutSubviews)
        .add<&StackView::willRemoveSubviewStack>(kWillRemoveSubview);
}

StackView::StackView() = default;
StackView::StackView(const base::Rect& frame) : View(frame) {}

std::shared_ptr<StackView> StackView::create(const base::Rect& frame) {
    return std::make_shared<StackView>(frame);
}

std::shared_ptr<StackView> StackView::create(std::vector<std::shared_ptr<View>> arranged) {
    auto stack = std::make_shared<StackView>();
    for (const auto& v : arranged) stack->addArrangedSubview(v);
    return stack;
}

void StackView::addArrangedSubview(const std::shared_ptr<View>& view) {
    insertArrangedSubview(view, arranged_.size());
}

void StackView::insertArrangedSubview(const std::shared_ptr<View>& view, std::size_t index) {
    if (!view || view.get() == this) return;
    std::erase(arranged_, view);
    arranged_.insert(arranged_.begin() + std::ptrdiff_t(std::min(index, arranged_.size())), view);
    if (view->superview().get() != this) addSubview(view);
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    arrangementChanged();
}

void StackView::removeArrangedSubview(const View* view) {
    const auto before = arranged_.size();
    std::erase_if(arranged_, [view](const auto& v) { return v.get() == view; });
    if (arranged_.size() != before) arrangementChanged();
}

void StackView::willRemoveSubviewStack(View* subview) {
    // Removing an arranged view from the tree also stops arranging it.
    removeArrangedSubview(subview);
}

void StackView::setAxis(LayoutAxis axis) {
    if (axis == axis_) return;
    axis_ = axis;
    arrangementChanged();
}

void StackView::setSpacing(double spacing) {
    if (!std::isfinite(spacing) || spacing == spacing_) return;
    spacing_ = spacing;
    arrangementChanged();
}

void StackView::setDistribution(StackViewDistribution distribution) {
    if (distribution == distribution_) return;
    distribution_ = distribution;
    arrangementChanged();
}

void StackView::setAlignment(StackViewAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    arrangementChanged();
}

void StackView::arrangementChanged() {
    setNeedsLayout();
    invalidateIntrinsicContentSize();
}

bool StackView::arrangesSubview(const View& subview) const {
    return std::any_of(arranged_.begin(), arranged_.end(),
                       [&](const auto& v) { return v.get() == &subview; });
}

void StackView::subviewHiddenDidChange(View& subview) {
    if (!arrangesSubview(subview)) return;
    arrangementChanged();
    // Inside an animation block the new frames animate with the rest of the block.
    if (View::isInsideAnimationBlock()) layoutIfNeeded();
}

std::vector<View*> StackView::visibleArranged() const {
    std::vector<View*> out;
    for (const auto& v : arranged_) {
        if (!v->isHidden()) out.push_back(v.get());
    }
    return out;
}

base::Size StackView::intrinsicContentSize() const {
    const std::vector<View*> views = visibleArranged();
    const LayoutAxis cross =
        axis_ == LayoutAxis::Horizontal ? LayoutAxis::Vertical : LayoutAxis::Horizontal;
    double along = 0, across = 0, largest = 0;
    for (View* v : views) {
        const double l = detail::ConstraintSolver::preferredLength(*v, axis_);
        along += l;
        largest = std::max(largest, l);
        across = std::max(across, detail::ConstraintSolver::preferredLength(*v, cross));
    }
    if (distribution_ == StackViewDistribution::FillEqually) along = largest * double(views.size());
    if (views.size() > 1) along += spacing_ * double(views.size() - 1);
    return axis_ == LayoutAxis::Horizontal ? base::Size{along, across} : base::Size{across, along};
}

void StackView::layoutStack() {
    const std::vector<View*> views = visibleArranged();
    if (views.empty()) return;
    const bool horizontal = axis_ == LayoutAxis::Horizontal;
    const LayoutAxis cross = horizontal ? LayoutAxis::Vertical : LayoutAxis::Horizontal;
    const base::Size size = bounds().size;
    const double available = horizontal ? size.width : size.height;
    const double crossLength = horizontal ? size.height : size.width;
    const double gaps = spacing_ * double(views.size() - 1);

    // Pass 1: every view at its preferred length.
    std::vector<double> lengths(views.size());
    if (distribution_ == StackViewDistribution::FillEqually) {
        std::fill(lengths.begin(), lengths.end(),
                  std::max(0.0, (available - gaps) / double(views.size())));
    } else {
        double total = gaps;
        for (std::size_t i = 0; i < views.size(); ++i) {
            lengths[i] = detail::ConstraintSolver::preferredLength(*views[i], axis_);
            total += lengths[i];
        }
        // Pass 2: share the difference among the views of the lowest priority: hugging when
        // there is room to spare, compression resistance when there is too little.
        const double slack = available - total;
        if (std::abs(slack) > 1e-9) {
            const auto priority = [&](View* v) {
                return slack > 0 ? v->contentHuggingPriority(axis_)
                                 : v->contentCompressionResistancePriority(axis_);
            };
            float lowest = 1001;
            for (View* v : views) lowest = std::min(lowest, priority(v));
            std::vector<std::size_t> takers;
            for (std::size_t i = 0; i < views.size(); ++i) {
                if (priority(views[i]) == lowest) takers.push_back(i);
            }
            double remaining = slack;
            for (std::size_t k = 0; k < takers.size(); ++k) {
                const double share = remaining / double(takers.size() - k);
                const double next = std::max(0.0, lengths[takers[k]] + share);
                remaining -= next - lengths[takers[k]];
                lengths[takers[k]] = next;
            }
        }
    }

    // Pass 3: place them, one after the other, aligned across the axis.
    double position = 0;
    for (std::size_t i = 0; i < views.size(); ++i) {
        View* v = views[i];
        double across = crossLength;
        if (alignment_ != StackViewAlignment::Fill) {
            across = std::min(crossLength, detail::ConstraintSolver::preferredLength(*v, cross));
        }
        double offset = 0;
        if (alignment_ == StackViewAlignment::Center) offset = (crossLength - across) / 2;
        if (alignment_ == StackViewAlignment::Trailing) offset = crossLength - across;
        const base::Rect frame = horizontal ? base::Rect{position, offset, lengths[i], across}
                                            : base::Rect{offset, position, across, lengths[i]};
        if (!(v->frame() == frame)) v->setFrame(frame);
        position += lengths[i] + spacing_;
    }
}

}  // namespace ui

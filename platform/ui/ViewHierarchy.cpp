#include <algorithm>
#include <cassert>

#include "platform/dispatch/MainThread.h"

#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/detail/ObservationTable.h"
#include "platform/ui/detail/ViewHierarchy.h"

namespace ui {

// ---- View's tree members ----------------------------------------------------------------------

View::~View() {
    forgetOverrides();
    detail::ViewHierarchy::releaseSubviews(*this);
    if (layer_->view_ == this) layer_->view_ = nullptr;
}

std::shared_ptr<View> View::superview() const {
    return runtime::retained(superview_);
}

std::shared_ptr<Window> View::window() const {
    if (isWindow_) {
        return std::static_pointer_cast<Window>(runtime::retained(const_cast<View*>(this)));
    }
    return window_.lock();
}

void View::addSubview(const std::shared_ptr<View>& view) {
    detail::ViewHierarchy::move(view, this, subviews_.size());
}

void View::insertSubview(const std::shared_ptr<View>& view, std::size_t index) {
    detail::ViewHierarchy::move(view, this, index);
}

void View::insertSubviewAbove(const std::shared_ptr<View>& view, const View* sibling) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(),
                           [&](const auto& v) { return v.get() == sibling; });
    const std::size_t index =
        it == subviews_.end() ? subviews_.size() : std::size_t(it - subviews_.begin()) + 1;
    detail::ViewHierarchy::move(view, this, index);
}

void View::insertSubviewBelow(const std::shared_ptr<View>& view, const View* sibling) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(),
                           [&](const auto& v) { return v.get() == sibling; });
    const std::size_t index = it == subviews_.end() ? 0 : std::size_t(it - subviews_.begin());
    detail::ViewHierarchy::move(view, this, index);
}

void View::bringSubviewToFront(const View* view) {
    detail::ViewHierarchy::reorder(*this, view, subviews_.size());
}

void View::sendSubviewToBack(const View* view) {
    detail::ViewHierarchy::reorder(*this, view, 0);
}

void View::removeFromSuperview() {
    if (superview_ == nullptr) return;
    if (auto self = runtime::retained(this)) detail::ViewHierarchy::move(self, nullptr, 0);
}

bool View::isDescendantOfView(const View* view) const {
    if (view == nullptr) return false;
    for (const View* v = this; v != nullptr; v = v->superview_) {
        if (v == view) return true;
    }
    return false;
}

std::shared_ptr<View> View::viewWithTag(std::int64_t tag) {
    std::vector<View*> stack{this};
    while (!stack.empty()) {
        View* v = stack.back();
        stack.pop_back();
        if (v->tag_ == tag) return runtime::retained(v);
        for (auto it = v->subviews_.rbegin(); it != v->subviews_.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    return nullptr;
}

namespace detail {

// ---- Moving -----------------------------------------------------------------------------------

void ViewHierarchy::move(const std::shared_ptr<View>& child, View* newParent, std::size_t index) {
    assert(dispatch::isMainThread() && "views are main-thread objects");
    if (!child || child.get() == newParent) return;
    if (newParent != nullptr) {
        if (child->isWindow_) return;
        // Only a view with subviews can be an ancestor of the new parent.
        if (!child->subviews_.empty() && newParent->isDescendantOfView(child.get())) return;
        if (child->superview_ == newParent) {
            reorder(*newParent, child.get(), index);
            return;
        }
    }
    const std::shared_ptr<View> keep = child;
    View* oldParent = child->superview_;
    const std::shared_ptr<Window> oldWindow = child->window();
    const std::shared_ptr<Window> newWindow = newParent != nullptr ? newParent->window() : nullptr;
    const bool windowChanges = oldWindow != newWindow;
    const TraitCollection traitsBefore = child->traitCollection();
    const base::Color tintBefore = child->tintColor();

    // Pass 1: the old superview and the view hear what is coming.
    if (oldParent != nullptr) View::kWillRemoveSubview.send(oldParent, child.get());
    View::kWillMoveToSuperview.send(child.get(), newParent);
    if (windowChanges) {
        for (const auto& v : subtree(*child))
            View::kWillMoveToWindow.send(v.get(), newWindow.get());
    }

    // Pass 2: relink. The callbacks above may have moved the view; take it from wherever it is.
    if (View* current = child->superview_) {
        auto it = std::find(current->subviews_.begin(), current->subviews_.end(), child);
        if (it != current->subviews_.end()) current->subviews_.erase(it);
        child->superview_ = nullptr;
        child->layer_->removeFromSuperlayer();
    }
    if (newParent != nullptr) {
        index = std::min(index, newParent->subviews_.size());
        newParent->subviews_.insert(newParent->subviews_.begin() + std::ptrdiff_t(index), child);
        child->superview_ = newParent;
        placeLayer(*newParent, index);
        if (child->needsLayout_ || child->subtreeNeedsLayout_) child->setNeedsLayout();
    }

    // Pass 3: window attachment, for the subtree as it is now.
    if (windowChanges) {
        const std::vector<std::shared_ptr<View>> views = subtree(*child);
        const std::shared_ptr<Window> target = newParent != nullptr ? newParent->window() : nullptr;
        for (const auto& v : views) v->window_ = target;
        for (const auto& v : views) {
            // A view an earlier callback moved elsewhere has had its own notifications.
            if (v->window() != target) continue;
            View::kDidMoveToWindow.send(v.get());
        }
    }
    const TraitCollection traitsAfter = child->traitCollection();
    if (!(traitsAfter == traitsBefore)) propagateTraits(*child, traitsBefore, traitsAfter);
    if (!(child->tintColor() == tintBefore)) propagateTint(*child);

    // Pass 4: the view and its new superview hear that it arrived.
    View::kDidMoveToSuperview.send(child.get());
    if (newParent != nullptr && child->superview_ == newParent) {
        View::kDidAddSubview.send(newParent, child.get());
        newParent->setNeedsLayout();
        child->setNeedsLayout();
    }
}

void ViewHierarchy::reorder(View& parent, const View* child, std::size_t index) {
    auto& subs = parent.subviews_;
    auto it =
        std::find_if(subs.begin(), subs.end(), [&](const auto& v) { return v.get() == child; });
    if (it == subs.end()) return;
    const std::size_t from = std::size_t(it - subs.begin());
    std::shared_ptr<View> keep = std::move(*it);
    subs.erase(it);
    if (from < index) --index;
    index = std::min(index, subs.size());
    subs.insert(subs.begin() + std::ptrdiff_t(index), std::move(keep));
    placeLayer(parent, index);
}

// Puts the layer of parent.subviews_[index] among the parent layer's sublayers so that view
// order and layer order agree; standalone sublayers keep their places.
void ViewHierarchy::placeLayer(View& parent, std::size_t index) {
    const auto& subs = parent.subviews_;
    const std::shared_ptr<Layer>& layer = subs[index]->layer_;
    Layer& parentLayer = *parent.layer_;
    const auto inParent = [&](const View& v) { return v.layer_->superlayer_ == &parentLayer; };
    if (index + 1 < subs.size() && inParent(*subs[index + 1])) {
        parentLayer.insertSublayerBelow(layer, subs[index + 1]->layer_.get());
    } else if (index > 0 && inParent(*subs[index - 1])) {
        parentLayer.insertSublayerAbove(layer, subs[index - 1]->layer_.get());
    } else {
        parentLayer.addSublayer(layer);
    }
}

// ---- Walks ------------------------------------------------------------------------------------

std::vector<std::shared_ptr<View>> ViewHierarchy::subtree(View& root) {
    std::vector<std::shared_ptr<View>> out;
    std::shared_ptr<View> first = runtime::retained(&root);
    if (!first) return out;
    std::vector<std::shared_ptr<View>> stack{std::move(first)};
    while (!stack.empty()) {
        std::shared_ptr<View> v = std::move(stack.back());
        stack.pop_back();
        for (auto it = v->subviews_.rbegin(); it != v->subviews_.rend(); ++it) stack.push_back(*it);
        out.push_back(std::move(v));
    }
    return out;
}

void ViewHierarchy::propagateTraits(View& root, const TraitCollection& before,
                                    const TraitCollection& after) {
    struct Item {
        std::shared_ptr<View> view;
        TraitCollection before, after;
    };
    std::shared_ptr<View> first = runtime::retained(&root);
    if (!first) return;
    std::vector<Item> stack{{std::move(first), before, after}};
    while (!stack.empty()) {
        Item item = std::move(stack.back());
        stack.pop_back();
        // Below an unchanged view nothing changes either: the overrides are the same.
        if (item.before == item.after) continue;
        View& v = *item.view;
        v.applyTraits(item.after);
        View::kTraitCollectionDidChange.send(&v, item.before);
        for (auto it = v.subviews_.rbegin(); it != v.subviews_.rend(); ++it) {
            const UserInterfaceStyle style = (*it)->overrideStyle_;
            stack.push_back({*it, item.before.withStyle(style), item.after.withStyle(style)});
        }
    }
}

void ViewHierarchy::propagateTint(View& root) {
    std::shared_ptr<View> first = runtime::retained(&root);
    if (!first) return;
    std::vector<std::shared_ptr<View>> stack{std::move(first)};
    while (!stack.empty()) {
        std::shared_ptr<View> v = std::move(stack.back());
        stack.pop_back();
        View::kTintColorDidChange.send(v.get());
        for (auto it = v->subviews_.rbegin(); it != v->subviews_.rend(); ++it) {
            // A view with its own tint keeps it, and so does its subtree.
            if (!(*it)->tintColor_) stack.push_back(*it);
        }
    }
}

// ---- Teardown ---------------------------------------------------------------------------------

void ViewHierarchy::releaseSubviews(View& view) {
    // Views that only this tree owns die one at a time from a work list: their subviews are
    // taken out first, so no destructor releases a whole subtree recursively. Views someone
    // else still holds survive as roots of their own.
    const auto detachChildren = [](View& parent, std::vector<std::shared_ptr<View>>& into) {
        Layer& parentLayer = *parent.layer_;
        for (auto& child : parent.subviews_) {
            child->superview_ = nullptr;
            if (child->layer_->superlayer_ == &parentLayer) child->layer_->superlayer_ = nullptr;
            into.push_back(std::move(child));
        }
        parent.subviews_.clear();
        std::erase_if(parentLayer.sublayers_,
                      [](const auto& l) { return l->superlayer_ == nullptr; });
    };
    std::vector<std::shared_ptr<View>> pending;
    detachChildren(view, pending);
    while (!pending.empty()) {
        std::shared_ptr<View> v = std::move(pending.back());
        pending.pop_back();
        if (v.use_count() == 1) detachChildren(*v, pending);
    }
}

}  // namespace detail

}  // namespace ui

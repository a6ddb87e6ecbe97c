#include "tweak/LGViewTree.h"

#include <utility>
#include <vector>

void LGWalkViewTree(const std::shared_ptr<ui::View>& root,
                    const std::function<void(const std::shared_ptr<ui::View>&)>& visitor) {
    if (!root || !visitor) return;
    std::vector<std::pair<std::shared_ptr<ui::View>, int>> stack;
    stack.emplace_back(root, 0);
    while (!stack.empty()) {
        auto [view, depth] = std::move(stack.back());
        stack.pop_back();
        visitor(view);
        if (depth >= kLGWalkViewTreeMaxDepth) continue;
        // Pushed last to first, so the first subview is visited next.
        const auto& subviews = view->subviews();
        for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
            stack.emplace_back(*it, depth + 1);
        }
    }
}

bool LGViewHasAncestorNamed(const ui::View* view, std::string_view name) {
    if (view == nullptr || name.empty()) return false;
    for (auto up = view->superview(); up; up = up->superview()) {
        if (up->className() == name) return true;
    }
    return false;
}

#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

// Visits `root` and every view below it in pre-order (depth first, subviews in order), with each
// view's depth below the root (the root is 0). An explicit stack replaces recursion, so any depth
// is fine. The visitor returns whether to descend into the view's subviews. Each view's subviews
// are read when it is visited: changes the visitor makes below the current view are seen.
template <class Visitor>
void walkViewTree(View& root, Visitor&& visit) {
    struct Item {
        std::shared_ptr<View> view;
        std::size_t depth;
    };
    std::shared_ptr<View> first = runtime::retained(&root);
    if (!first) return;
    std::vector<Item> stack{{std::move(first), 0}};
    while (!stack.empty()) {
        Item item = std::move(stack.back());
        stack.pop_back();
        if (!visit(*item.view, item.depth)) continue;
        const auto& subs = item.view->subviews();
        for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
            stack.push_back({*it, item.depth + 1});
        }
    }
}

}  // namespace ui

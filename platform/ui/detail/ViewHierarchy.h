#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/ui/TraitCollection.h"

namespace ui {
class View;
}

namespace ui::detail {

// The tree operations of views, kept apart from View's own file.
struct ViewHierarchy {
    // Puts `child` into `newParent` at `index` (nullptr removes it), with every callback.
    static void move(const std::shared_ptr<View>& child, View* newParent, std::size_t index);
    // Moves an existing subview to another index, without callbacks.
    static void reorder(View& parent, const View* child, std::size_t index);
    // The subtree in pre-order, the root first. Never recurses.
    static std::vector<std::shared_ptr<View>> subtree(View& root);
    // Tells the views of the subtree whose traits changed (the root's went from `before` to
    // `after`; below it each view's own override applies).
    static void propagateTraits(View& root, const TraitCollection& before,
                                const TraitCollection& after);
    // Tells the views of the subtree that inherit the root's tint that it changed.
    static void propagateTint(View& root);
    // Tears down the subviews of a view that is being destroyed, without recursing.
    static void releaseSubviews(View& view);

  private:
    static void placeLayer(View& parent, std::size_t index);
};

}  // namespace ui::detail

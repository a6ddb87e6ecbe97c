#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/ui/View.h"

// How the clock code walks the system's view trees.

// Subviews of a view at this depth below the root are not visited (the root has depth 0).
inline constexpr int kLGWalkViewTreeMaxDepth = 128;

// Visits `root` and its descendants in pre-order, depth first, children in subview order, with an
// explicit stack, so that any depth is safe. Every visited view is seen; there is no early stop
// (a searching visitor keeps its first find and ignores later views). The visitor may change the
// tree: the walk holds the views it has yet to visit.
void LGWalkViewTree(const std::shared_ptr<ui::View>& root,
                    const std::function<void(const std::shared_ptr<ui::View>&)>& visitor);

// Whether a superview of `view` (not the view itself) has exactly this class name; false for no
// view or an empty name.
bool LGViewHasAncestorNamed(const ui::View* view, std::string_view name);

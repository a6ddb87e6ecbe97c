#pragma once

#include "platform/base/Geometry.h"
#include "platform/ui/LayoutAnchor.h"

namespace ui {
class View;
}

namespace ui::detail {

// Solves the constraints a view owns: those whose items meet in it (a subview and the view or
// one of its guides, two subviews, or a subview's own size).
//
// The solver works per axis on four unknowns of each item (minimum, maximum, centre, size), any
// two of which fix the rest:
//   Pass 1: equalities propagate from what is known (the view's own rectangle, subviews placed
//           without constraints, views outside the view) to what is not, in either direction.
//   Pass 2: an item still open on an axis takes its preferred length there (a size constraint,
//           else its intrinsic size, else the size its own constraints give it), then Pass 1
//           runs again, until nothing changes.
//   Pass 3: inequalities bound what the equalities and preferred lengths gave (a size, or the
//           far edge of an item whose near edge is fixed).
// Conflicting equalities keep the first value found. Items that stay open keep their frames.
struct ConstraintSolver {
    // Sets the frames of the view's constraint-placed subviews and, for a scroll view whose
    // content guide got a size, its content size.
    static void solve(View& view);
    // The size the view's constraints give it, with its width fixed to target's when positive.
    static base::Size fittingSize(View& view, base::Size target);
    // The length a view asks for along an axis when something else places it.
    static double preferredLength(View& view, LayoutAxis axis);
    // Whether the view owns constraints at all (so its layout needs a solve).
    static bool hasConstraintsToSolve(const View& view);
};

}  // namespace ui::detail

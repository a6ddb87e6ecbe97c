#pragma once

namespace ui {
class View;
}

namespace ui::detail {

// Layout runs on every turn of the main loop, before anything draws: a run-loop observer lays
// out every window whose tree asked for it.
struct LayoutPass {
    // The run-loop order of the layout observer (drawing comes after).
    static constexpr int kObserverOrder = 100;

    // Installs the per-turn observer once.
    static void ensureScheduled();
    // Lays out the views of root's subtree that asked for it, parents before children.
    static void run(View& root);
    // Runs the layout callbacks of one view (with its view controller's around them).
    static void layOut(View& view);
    // The per-turn pass over every window.
    static void layoutAllWindows();
};

}  // namespace ui::detail

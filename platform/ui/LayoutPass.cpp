#include "platform/ui/detail/LayoutPass.h"
#include "platform/ui/detail/ConstraintSolver.h"

#include <cassert>
#include <memory>
#include <vector>

#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace ui::detail {

void LayoutPass::ensureScheduled() {
    static const bool scheduled = [] {
        auto observer =
            dispatch::RunLoopObserver::create(kObserverOrder, [] { layoutAllWindows(); });
        dispatch::RunLoop::main().addObserver(observer, dispatch::Mode::Common);
        return true;
    }();
    (void)scheduled;
}

void LayoutPass::layoutAllWindows() {
    for (const auto& window : Window::allWindows()) {
        if (window->needsLayout_ || window->subtreeNeedsLayout_) run(*window);
    }
}

void LayoutPass::layOut(View& view) {
    const std::shared_ptr<ViewController> controller = view.viewController();
    if (controller) ViewController::kViewWillLayoutSubviews.send(controller.get());
    ConstraintSolver::solve(view);
    View::kLayoutSubviews.send(&view);
    if (controller) ViewController::kViewDidLayoutSubviews.send(controller.get());
}

void LayoutPass::run(View& root) {
    assert(dispatch::isMainThread() && "layout runs on the main thread");
    std::shared_ptr<View> first = runtime::retained(&root);
    if (!first) return;
    // Pre-order with an explicit stack: a parent's layoutSubviews runs before its children's,
    // so the frames it sets are in place when they lay out. A view that asks for layout again
    // from its own layoutSubviews waits for the next pass.
    std::vector<std::shared_ptr<View>> stack{std::move(first)};
    while (!stack.empty()) {
        std::shared_ptr<View> v = std::move(stack.back());
        stack.pop_back();
        if (v->needsLayout_) {
            v->needsLayout_ = false;
            layOut(*v);
        }
        if (v->subtreeNeedsLayout_) {
            v->subtreeNeedsLayout_ = false;
            for (auto it = v->subviews_.rbegin(); it != v->subviews_.rend(); ++it) {
                if ((*it)->needsLayout_ || (*it)->subtreeNeedsLayout_) stack.push_back(*it);
            }
        }
    }
}

}  // namespace ui::detail

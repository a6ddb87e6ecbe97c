// What the view tree costs on the paths code walks on every layout: building and tearing down
// deep and wide trees, walking them, converting a rectangle up a deep chain, a layout pass, and
// following a running animation through presentation layers. Time columns are per iteration.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/dispatch/Time.h"
#include "platform/ui/Layer.h"
#include "platform/ui/PresentedGeometry.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewTreeWalk.h"
#include "platform/ui/Window.h"

namespace {

std::shared_ptr<ui::View> chain(int depth, std::shared_ptr<ui::View>* tipOut = nullptr) {
    auto root = ui::View::create(base::Rect{0, 0, 100, 100});
    std::shared_ptr<ui::View> tip = root;
    for (int i = 1; i < depth; ++i) {
        auto next = ui::View::create(base::Rect{1, 1, 90, 90});
        tip->addSubview(next);
        tip = next;
    }
    if (tipOut != nullptr) *tipOut = tip;
    return root;
}

// Build and destroy a chain; range(0) levels.
void BM_BuildAndDestroyChain(benchmark::State& state) {
    for (auto _ : state) {
        auto root = chain(int(state.range(0)));
        benchmark::DoNotOptimize(root.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildAndDestroyChain)->Arg(100)->Arg(10000);

// Attach a built chain to a window and detach it again (every view hears both moves).
void BM_ChainJoinsAndLeavesWindow(benchmark::State& state) {
    auto window = ui::Window::create(base::Rect{0, 0, 100, 100});
    auto root = chain(int(state.range(0)));
    for (auto _ : state) {
        window->addSubview(root);
        root->removeFromSuperview();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ChainJoinsAndLeavesWindow)->Arg(100)->Arg(10000);

// Pre-order walk of a wide tree: 50 rows of 20 labels' worth of views.
void BM_WalkWideTree(benchmark::State& state) {
    auto root = ui::View::create();
    for (int i = 0; i < 50; ++i) {
        auto row = ui::View::create();
        for (int j = 0; j < 20; ++j) row->addSubview(ui::View::create());
        root->addSubview(row);
    }
    for (auto _ : state) {
        int n = 0;
        ui::walkViewTree(*root, [&](ui::View&, std::size_t) { return ++n, true; });
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * 1051);
}
BENCHMARK(BM_WalkWideTree);

// A rectangle from the tip of a chain to its window.
void BM_ConvertRectUpChain(benchmark::State& state) {
    auto window = ui::Window::create(base::Rect{0, 0, 100, 100});
    std::shared_ptr<ui::View> tip;
    window->addSubview(chain(int(state.range(0)), &tip));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tip->convertRect(tip->bounds(), nullptr));
    }
}
BENCHMARK(BM_ConvertRectUpChain)->Arg(8)->Arg(64);

// The same conversion while every level is animating, through presentation layers.
void BM_PresentedRectUpAnimatingChain(benchmark::State& state) {
    dispatch::ManualClock clock;
    auto window = ui::Window::create(base::Rect{0, 0, 100, 100});
    std::shared_ptr<ui::View> tip;
    auto root = chain(int(state.range(0)), &tip);
    window->addSubview(root);
    ui::View::animate(10, [&] {
        ui::walkViewTree(*root, [](ui::View& v, std::size_t) {
            v.setCenter({v.center().x + 5, v.center().y});
            return true;
        });
    });
    clock.advance(1);
    for (auto _ : state) benchmark::DoNotOptimize(ui::presentedRectInWindow(*tip));
}
BENCHMARK(BM_PresentedRectUpAnimatingChain)->Arg(8)->Arg(64);

// A layout pass over a window whose every view asked for layout.
void BM_LayoutPass(benchmark::State& state) {
    auto window = ui::Window::create(base::Rect{0, 0, 100, 100});
    std::vector<std::shared_ptr<ui::View>> all;
    for (int i = 0; i < 50; ++i) {
        auto row = ui::View::create();
        window->addSubview(row);
        for (int j = 0; j < 20; ++j) {
            auto v = ui::View::create();
            row->addSubview(v);
            all.push_back(v);
        }
    }
    for (auto _ : state) {
        for (auto& v : all) v->setNeedsLayout();
        window->layoutIfNeeded();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(all.size()));
}
BENCHMARK(BM_LayoutPass);

}  // namespace

BENCHMARK_MAIN();

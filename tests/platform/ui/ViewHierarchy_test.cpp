#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/runtime/Hooks.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewTreeWalk.h"
#include "platform/ui/Window.h"

using ui::View;
using ui::Window;

namespace {

std::vector<const ui::Layer*> layersOf(const View& v) {
    std::vector<const ui::Layer*> out;
    for (const auto& l : v.layer()->sublayers()) out.push_back(l.get());
    return out;
}

std::vector<const ui::Layer*> subviewLayers(const View& v) {
    std::vector<const ui::Layer*> out;
    for (const auto& s : v.subviews()) out.push_back(s->layer().get());
    return out;
}

}  // namespace

TEST_F(UiTest, SubviewOrderAndLayerOrderAgreeThroughInsertsMovesAndReorders) {
    auto parent = View::create();
    auto a = View::create(), b = View::create(), c = View::create(), d = View::create();
    // A standalone sublayer keeps its place among the view layers.
    auto decoration = ui::Layer::create();
    parent->layer()->addSublayer(decoration);

    parent->addSubview(a);
    parent->addSubview(c);
    parent->insertSubview(b, 1);
    parent->insertSubviewBelow(d, a.get());
    ASSERT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{d, a, b, c}));

    parent->bringSubviewToFront(d.get());
    parent->sendSubviewToBack(c.get());
    parent->addSubview(a);  // an existing subview goes to the front
    EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{c, b, d, a}));

    std::vector<const ui::Layer*> viewLayers;
    for (const ui::Layer* l : layersOf(*parent)) {
        if (l != decoration.get()) viewLayers.push_back(l);
    }
    EXPECT_EQ(viewLayers, subviewLayers(*parent));
    EXPECT_EQ(parent->layer()->sublayers().front(), decoration);

    // Moving to another parent takes the view and its layer out of the first.
    auto other = View::create();
    other->addSubview(b);
    EXPECT_EQ(b->superview(), other);
    EXPECT_EQ(b->layer()->superlayer(), other->layer());
    EXPECT_EQ(parent->subviews().size(), 3u);
    b->removeFromSuperview();
    EXPECT_EQ(b->superview(), nullptr);
    EXPECT_EQ(b->layer()->superlayer(), nullptr);
}

TEST_F(UiTest, AddingAViewIntoItsOwnSubtreeIsRefused) {
    auto root = View::create(), mid = View::create(), leaf = View::create();
    root->addSubview(mid);
    mid->addSubview(leaf);
    leaf->addSubview(root);
    mid->addSubview(mid);
    leaf->addSubview(nullptr);
    EXPECT_EQ(root->superview(), nullptr);
    EXPECT_TRUE(leaf->subviews().empty());
    EXPECT_TRUE(leaf->isDescendantOfView(root.get()));
    EXPECT_FALSE(root->isDescendantOfView(leaf.get()));
    // A window is a root: it cannot become a subview.
    auto window = Window::create(base::Rect{0, 0, 10, 10});
    root->addSubview(window);
    EXPECT_EQ(window->superview(), nullptr);
}

TEST_F(UiTest, SubtreeJoiningAndLeavingAWindowHearsWillThenDidInPreOrder) {
    auto window = Window::create(base::Rect{0, 0, 100, 100});
    auto a = TraceView::make("a"), b = TraceView::make("b"), c = TraceView::make("c");
    a->addSubview(b);
    a->addSubview(c);
    traceLog().clear();

    window->addSubview(a);
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"a:willMoveToWindow", "b:willMoveToWindow",
                                                    "c:willMoveToWindow", "a:didMoveToWindow",
                                                    "b:didMoveToWindow", "c:didMoveToWindow",
                                                    "a:didMoveToSuperview"}));
    EXPECT_EQ(c->window(), window);

    // Moving within the same window is not a window change.
    auto holder = View::create();
    window->addSubview(holder);
    traceLog().clear();
    holder->addSubview(a);
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"a:didMoveToSuperview"}));

    traceLog().clear();
    a->removeFromSuperview();
    EXPECT_EQ(traceLog(),
              (std::vector<std::string>{"a:willLeaveWindow", "b:willLeaveWindow",
                                        "c:willLeaveWindow", "a:didLeaveWindow", "b:didLeaveWindow",
                                        "c:didLeaveWindow", "a:didMoveToSuperview"}));
    EXPECT_EQ(c->window(), nullptr);
}

namespace {
void (*previousDidMoveToWindow)(runtime::Object*, runtime::SEL) = nullptr;
std::shared_ptr<TraceView> gOverlay;

// A hook installed by code loaded later: the first time a host view reaches a window it adds
// an overlay of its own.
void addOverlayOnWindow(runtime::Object* self, runtime::SEL cmd) {
    previousDidMoveToWindow(self, cmd);
    auto* view = static_cast<View*>(self);
    if (view->window() && gOverlay && !gOverlay->superview()) view->addSubview(gOverlay);
}
}  // namespace

TEST_F(UiTest, ViewAddedByAHookDuringDidMoveToWindowIsNotifiedExactlyOnce) {
    ScopedHook hook("QVTestHostView", View::kDidMoveToWindow.selector(), &addOverlayOnWindow,
                    &previousDidMoveToWindow);
    ASSERT_TRUE(hook.installed());
    auto window = Window::create(base::Rect{0, 0, 100, 100});
    auto host = std::make_shared<HostView>();
    auto label = TraceView::make("label");
    host->addSubview(label);
    gOverlay = TraceView::make("overlay");
    traceLog().clear();

    window->addSubview(host);
    EXPECT_EQ(traceLog(),
              (std::vector<std::string>{"label:willMoveToWindow", "overlay:willMoveToWindow",
                                        "overlay:didMoveToWindow", "overlay:didMoveToSuperview",
                                        "label:didMoveToWindow"}));
    EXPECT_EQ(gOverlay->window(), window);
    gOverlay.reset();
}

TEST_F(UiTest, KindOfTestsByClassNameFollowSubclassesIncludingWindows) {
    auto variant = std::make_shared<HostViewVariant>();
    EXPECT_EQ(variant->className(), "QVTestHostViewVariant");
    EXPECT_TRUE(variant->isKindOfClass("QVTestHostView"));
    EXPECT_TRUE(variant->isKindOfClass("UIView"));
    EXPECT_FALSE(variant->isKindOfClass("UILabel"));
    EXPECT_FALSE(std::make_shared<HostView>()->isKindOfClass("QVTestHostViewVariant"));

    auto wallpaper = std::make_shared<HostWallpaperWindow>(base::Rect{0, 0, 10, 10});
    EXPECT_EQ(wallpaper->className(), "QVTestWallpaperWindow");
    EXPECT_TRUE(wallpaper->isKindOfClass("UIWindow"));
    EXPECT_TRUE(wallpaper->isKindOfClass(Window::staticClass()));
    EXPECT_EQ(wallpaper->window(), wallpaper);

    // Classes are found by name before any instance exists, and instances made by name are
    // views of that class.
    runtime::Class* cls = runtime::lookUpClass("UILabel");
    ASSERT_NE(cls, nullptr);
    auto made = cls->createInstance();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->isKindOfClass("UIView"));
    EXPECT_NE(std::dynamic_pointer_cast<View>(made), nullptr);
    EXPECT_EQ(runtime::lookUpClass("QVNoSuchView"), nullptr);
}

TEST_F(UiTest, TenThousandDeepChainBuildsWalksMovesIntoAWindowAndDestroys) {
    constexpr int kDepth = 10000;
    auto root = View::create();
    {
        std::shared_ptr<View> tip = root;
        for (int i = 1; i < kDepth; ++i) {
            auto next = View::create(base::Rect{1, 1, 10, 10});
            next->setTag(i);
            tip->addSubview(next);
            tip = next;
        }
    }
    int visited = 0;
    std::size_t deepest = 0;
    ui::walkViewTree(*root, [&](View&, std::size_t depth) {
        ++visited;
        deepest = std::max(deepest, depth);
        return true;
    });
    EXPECT_EQ(visited, kDepth);
    EXPECT_EQ(deepest, std::size_t(kDepth - 1));

    auto leaf = root->viewWithTag(kDepth - 1);
    ASSERT_NE(leaf, nullptr);
    // Each level is offset by (1, 1) from its superview.
    EXPECT_EQ(leaf->convertPoint({0, 0}, root.get()), (base::Point{kDepth - 1.0, kDepth - 1.0}));

    auto window = Window::create(base::Rect{0, 0, 100, 100});
    window->addSubview(root);
    EXPECT_EQ(leaf->window(), window);
    window->layoutIfNeeded();
    root->removeFromSuperview();
    EXPECT_EQ(leaf->window(), nullptr);

    std::weak_ptr<View> watchLeaf = leaf;
    leaf.reset();
    root.reset();  // would overflow the stack if each level released the next recursively
    EXPECT_TRUE(watchLeaf.expired());
}

TEST_F(UiTest, SubviewsHeldElsewhereSurviveTheirSuperview) {
    auto survivor = View::create();
    auto grandchild = View::create();
    survivor->addSubview(grandchild);
    {
        auto parent = View::create();
        parent->addSubview(survivor);
        auto window = Window::create(base::Rect{0, 0, 10, 10});
        window->addSubview(parent);
        ASSERT_EQ(grandchild->window(), window);
    }
    EXPECT_EQ(survivor->superview(), nullptr);
    EXPECT_EQ(survivor->layer()->superlayer(), nullptr);
    EXPECT_EQ(grandchild->window(), nullptr);  // the window is gone
    EXPECT_EQ(grandchild->superview(), survivor);
}

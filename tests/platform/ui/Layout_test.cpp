#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

using base::Rect;
using ui::View;
using ui::Window;

TEST_F(UiTest, LayoutRunsTopDownOncePerTurnForViewsInWindows) {
    auto window = Window::create(Rect{0, 0, 100, 100});
    auto a = TraceView::make("a"), b = TraceView::make("b"), c = TraceView::make("c");
    window->addSubview(a);
    a->addSubview(b);
    window->addSubview(c);
    dispatch::RunLoop::main().runOnce();
    traceLog().clear();

    c->setNeedsLayout();
    b->setNeedsLayout();
    a->setNeedsLayout();
    b->setNeedsLayout();
    EXPECT_TRUE(traceLog().empty());  // marking only marks
    dispatch::RunLoop::main().runOnce();
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"a:layout", "b:layout", "c:layout"}));
    traceLog().clear();
    dispatch::RunLoop::main().runOnce();
    EXPECT_TRUE(traceLog().empty());

    // Views outside windows wait for layoutIfNeeded.
    auto loose = TraceView::make("loose");
    auto looseChild = TraceView::make("looseChild");
    loose->addSubview(looseChild);
    traceLog().clear();
    dispatch::RunLoop::main().runOnce();
    EXPECT_TRUE(traceLog().empty());
    loose->layoutIfNeeded();
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"loose:layout", "looseChild:layout"}));

    // A size change asks for layout; a move does not.
    traceLog().clear();
    a->setCenter({10, 10});
    dispatch::RunLoop::main().runOnce();
    EXPECT_TRUE(traceLog().empty());
    a->setBounds(Rect{0, 0, 30, 30});
    a->layoutIfNeeded();
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"a:layout"}));
}

namespace {

class TraceController : public ui::ViewController {
    QV_OBJECT(TraceController, ui::ViewController);

  public:
    std::vector<std::string> log;

  private:
    static void registerMethods(runtime::MethodList<TraceController>& methods) {
        methods.add<&TraceController::loadTrace>(kLoadView)
            .add<&TraceController::didLoad>(kViewDidLoad)
            .add<&TraceController::willAppear>(kViewWillAppear)
            .add<&TraceController::didAppear>(kViewDidAppear)
            .add<&TraceController::willLayout>(kViewWillLayoutSubviews)
            .add<&TraceController::didLayout>(kViewDidLayoutSubviews);
    }
    void loadTrace() {
        log.push_back("loadView");
        setView(TraceView::make("root"));
    }
    void didLoad() { log.push_back("viewDidLoad"); }
    void willAppear(bool) { log.push_back("viewWillAppear"); }
    void didAppear(bool) { log.push_back("viewDidAppear"); }
    void willLayout() { log.push_back("viewWillLayoutSubviews"); }
    void didLayout() { log.push_back("viewDidLayoutSubviews"); }
};

}  // namespace

QV_DEFINE_CLASS(TraceController, "QVTestTraceController");

TEST_F(UiTest, ViewControllerLoadsLazilyAppearsWithItsWindowAndBracketsLayout) {
    auto controller = std::make_shared<TraceController>();
    EXPECT_FALSE(controller->isViewLoaded());
    auto window = Window::create(Rect{0, 0, 100, 200});
    window->setRootViewController(controller);
    EXPECT_EQ(controller->log, (std::vector<std::string>{"loadView", "viewDidLoad"}));
    EXPECT_EQ(controller->view()->frame(), window->bounds());
    EXPECT_EQ(controller->view()->viewController(), controller);

    controller->log.clear();
    traceLog().clear();
    window->makeKeyAndVisible();
    EXPECT_TRUE(window->isKeyWindow());
    dispatch::RunLoop::main().runOnce();
    EXPECT_EQ(controller->log,
              (std::vector<std::string>{"viewWillAppear", "viewDidAppear", "viewWillLayoutSubviews",
                                        "viewDidLayoutSubviews"}));
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"root:layout"}));

    // The root view follows the window's size.
    window->setFrame(Rect{0, 0, 300, 400});
    EXPECT_EQ(controller->view()->frame(), (Rect{0, 0, 300, 400}));
}

namespace {
void (*previousLayout)(runtime::Object*, runtime::SEL) = nullptr;
int hookedLayouts = 0;
void countLayout(runtime::Object* self, runtime::SEL cmd) {
    ++hookedLayouts;
    previousLayout(self, cmd);
}
}  // namespace

TEST_F(UiTest, HookingLayoutOnAClassByNameReachesItsInstancesAndSubclassesOnly) {
    ScopedHook hook("QVTestHostView", View::kLayoutSubviews.selector(), &countLayout,
                    &previousLayout);
    ASSERT_TRUE(hook.installed());
    hookedLayouts = 0;
    auto host = std::make_shared<HostView>();
    auto variant = std::make_shared<HostViewVariant>();
    auto plain = View::create();
    for (auto& v : std::vector<std::shared_ptr<View>>{host, variant, plain}) {
        v->setNeedsLayout();
        v->layoutIfNeeded();
    }
    EXPECT_EQ(hookedLayouts, 2);
}

TEST_F(UiTest, ApplicationListsScenesAndTheirWindowsInOrder) {
    auto app = ui::Application::shared();
    auto first = ui::WindowScene::create(nullptr, "first");
    auto second = ui::WindowScene::create(nullptr, "second");
    app->connectScene(second);
    app->connectScene(first);
    app->connectScene(second);  // already connected
    // A scene without windows may be connected too; it lists nothing.
    auto plain = std::make_shared<ui::Scene>("plain");
    app->connectScene(plain);
    EXPECT_FALSE(plain->isKindOfClass("UIWindowScene"));
    EXPECT_TRUE(second->isKindOfClass("UIScene"));
    auto w1 = Window::create(first);
    auto w2 = Window::create(second);
    auto w3 = Window::create(first);
    auto wallpaper = std::make_shared<HostWallpaperWindow>(Rect{0, 0, 10, 10});
    wallpaper->setWindowScene(second);

    EXPECT_EQ(app->windows(), (std::vector<std::shared_ptr<Window>>{w2, wallpaper, w1, w3}));
    w3->setWindowScene(second);
    EXPECT_EQ(first->windows(), (std::vector<std::shared_ptr<Window>>{w1}));
    w2.reset();  // scenes do not keep windows alive
    EXPECT_EQ(second->windows(), (std::vector<std::shared_ptr<Window>>{wallpaper, w3}));

    EXPECT_EQ(app->connectedScenes().size(), 3u);
    app->disconnectScene(first.get());
    app->disconnectScene(second.get());
    app->disconnectScene(plain.get());
    EXPECT_TRUE(app->windows().empty());
    EXPECT_EQ(first->interfaceOrientation(), ui::InterfaceOrientation::Portrait);
}

TEST_F(UiTest, OpeningAURLAsksTheHandlerAndAnswersOnTheNextTurn) {
    auto app = ui::Application::shared();
    std::vector<int> answers;
    app->setURLHandler(nullptr);
    app->openURL("https://example.org", [&](bool ok) { answers.push_back(ok); });
    app->setURLHandler([](const std::string& url) { return url.rfind("https:", 0) == 0; });
    app->openURL("https://example.org", [&](bool ok) { answers.push_back(ok); });
    app->openURL("not a url", [&](bool ok) { answers.push_back(ok); });
    EXPECT_TRUE(answers.empty());
    dispatch::RunLoop::main().runOnce();
    EXPECT_EQ(answers, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(app->requestedURLs().back(), "not a url");
    app->setURLHandler(nullptr);
}

// The clock's shared tests and values against lock screens built by the home-screen process's
// own view classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClockTestFixture.h"
#include "glass/LGDisplayLinkHub.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Window.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockNotifications.h"
#include "tweak/LGClockTick.h"
#include "tweak/LGViewTree.h"

using base::Rect;

namespace {

std::shared_ptr<ui::View> makeView(const char* className, const Rect& frame) {
    auto object = runtime::lookUpClass(className)->createInstance();
    auto view = std::dynamic_pointer_cast<ui::View>(object);
    view->setFrame(frame);
    return view;
}

}  // namespace

TEST_F(ClockTest, HostsAreTheModernClockAndOnOlderSystemsTheDateView) {
    buildModern();
    auto clock = lock->clockView();
    EXPECT_TRUE(LGClockIsModernHost(clock.get()));
    EXPECT_TRUE(LGClockIsHost(clock.get()));
    EXPECT_EQ(LGClockHostKind(clock.get()), "modern");
    // A date view on a system 16 or later is no host; its kind is its class name.
    auto dateView = makeView("SBFLockScreenDateView", {0, 0, 100, 100});
    EXPECT_FALSE(LGClockIsLegacyHost(dateView.get()));
    EXPECT_EQ(LGClockHostKind(dateView.get()), "SBFLockScreenDateView");
    EXPECT_FALSE(LGClockIsHost(lock->timeLabel().get()));
    EXPECT_FALSE(LGClockIsHost(nullptr));
    EXPECT_EQ(LGClockHostKind(nullptr), "");

    lock.reset();
    buildLegacy();
    EXPECT_TRUE(LGClockIsLegacyHost(lock->clockView().get()));
    EXPECT_EQ(LGClockHostKind(lock->clockView().get()), "legacy");
}

TEST_F(ClockTest, VisibilityNeedsAWindowAndMoreThanOneHundredthOfAlphaAndOpacity) {
    buildModern();
    auto clock = lock->clockView();
    EXPECT_TRUE(LGClockIsViewVisible(clock.get()));
    clock->setAlpha(0.01);
    EXPECT_FALSE(LGClockIsViewVisible(clock.get()));
    clock->setAlpha(0.011);
    EXPECT_TRUE(LGClockIsViewVisible(clock.get()));
    clock->layer()->setOpacity(0.01f);
    EXPECT_FALSE(LGClockIsViewVisible(clock.get()));
    clock->layer()->setOpacity(1);
    clock->setHidden(true);
    EXPECT_FALSE(LGClockIsViewVisible(clock.get()));
    clock->setHidden(false);
    const Rect frame = clock->frame();
    clock->setFrame({frame.origin, {0, frame.height()}});
    EXPECT_FALSE(LGClockIsViewVisible(clock.get()));
    clock->setFrame(frame);
    clock->removeFromSuperview();
    EXPECT_FALSE(LGClockIsViewVisible(clock.get()));
}

TEST_F(ClockTest, PasscodeOfAnySizeAndLargeCameraViewsBlockTheHostSmallOnesDoNot) {
    buildModern();
    auto clock = lock->clockView();
    auto window = lock->coverSheetWindow();
    EXPECT_FALSE(LGClockIsHostBlocked(clock));

    // The lock screen's own passcode view.
    lock->setPasscodeVisible(true);
    EXPECT_TRUE(LGClockIsHostBlocked(clock));
    lock->setPasscodeVisible(false);

    // A camera preview of 199 × 100 square points does not block, 200 × 100 does.
    auto preview = makeView("CAMPreviewView", {0, 600, 199, 100});
    window->addSubview(preview);
    EXPECT_FALSE(LGClockIsHostBlocked(clock));
    preview->setFrame({0, 600, 200, 100});
    EXPECT_TRUE(LGClockIsHostBlocked(clock));
    preview->setHidden(true);
    EXPECT_FALSE(LGClockIsHostBlocked(clock));

    // A tiny passcode background blocks; an empty one does not.
    auto passcode = makeView("CSPasscodeBackgroundView", {0, 0, 2, 2});
    window->addSubview(passcode);
    EXPECT_TRUE(LGClockIsHostBlocked(clock));
    passcode->setFrame({0, 0, 0, 0});
    EXPECT_FALSE(LGClockIsHostBlocked(clock));

    // A covering view inside the host, or around it, is part of the clock, not over it.
    auto inside = makeView("CAMViewfinderView", {0, 0, 400, 400});
    clock->addSubview(inside);
    EXPECT_FALSE(LGClockIsHostBlocked(clock));
    inside->removeFromSuperview();
    EXPECT_FALSE(LGClockIsHostBlocked(nullptr));
    clock->removeFromSuperview();
    EXPECT_FALSE(LGClockIsHostBlocked(clock));
}

TEST_F(ClockTest, TheOpenCameraBlocksTheClockAndOtherWindowsDoNot) {
    buildModern();
    lock->setCameraOpen(true);
    EXPECT_TRUE(LGClockIsHostBlocked(lock->clockView()));
    lock->setCameraOpen(false);
    // A viewfinder in another window is not over the clock's window.
    auto other = ui::Window::create(ui::Screen::main()->bounds());
    other->addSubview(makeView("CAMViewfinderView", other->bounds()));
    other->makeKeyAndVisible();
    EXPECT_FALSE(LGClockIsHostBlocked(lock->clockView()));
}

TEST_F(ClockTest, ActiveForViewFindsTheHostAboveOrTheWindowsClock) {
    buildModern();
    EXPECT_TRUE(LGClockIsActiveForView(lock->timeLabel()));
    EXPECT_TRUE(LGClockIsActiveForView(lock->dateLineView()));
    EXPECT_TRUE(LGClockIsActiveForView(lock->listView()));
    lock->setPasscodeVisible(true);
    EXPECT_FALSE(LGClockIsActiveForView(lock->dateLineView()));
    lock->setPasscodeVisible(false);
    lock->clockView()->setHidden(true);
    EXPECT_FALSE(LGClockIsActiveForView(lock->listView()));
    // A view outside any window.
    EXPECT_FALSE(LGClockIsActiveForView(ui::View::create({0, 0, 10, 10})));
    EXPECT_FALSE(LGClockIsActiveForView(nullptr));

    lock.reset();
    buildLegacy();
    EXPECT_TRUE(LGClockIsActiveForView(lock->listView()));
    // A legacy host that is transparent is passed over when looking from outside it.
    lock->clockView()->setAlpha(0.005);
    EXPECT_FALSE(LGClockIsActiveForView(lock->listView()));
}

TEST(LGWalkViewTree, VisitsPreOrderAndStopsBelowDepth128) {
    auto root = ui::View::create();
    auto a = ui::View::create();
    auto b = ui::View::create();
    auto a1 = ui::View::create();
    root->addSubview(a);
    root->addSubview(b);
    a->addSubview(a1);
    std::vector<ui::View*> order;
    LGWalkViewTree(root, [&](const std::shared_ptr<ui::View>& v) { order.push_back(v.get()); });
    EXPECT_EQ(order, (std::vector<ui::View*>{root.get(), a.get(), a1.get(), b.get()}));

    // A chain 200 deep: the view at depth 128 is visited, its subview is not.
    std::vector<std::shared_ptr<ui::View>> chain{ui::View::create()};
    for (int i = 1; i < 200; ++i) {
        chain.push_back(ui::View::create());
        chain[i - 1]->addSubview(chain[i]);
    }
    std::size_t visited = 0;
    bool sawDepth128 = false;
    bool sawDepth129 = false;
    LGWalkViewTree(chain[0], [&](const std::shared_ptr<ui::View>& v) {
        ++visited;
        sawDepth128 |= v == chain[128];
        sawDepth129 |= v == chain[129];
    });
    EXPECT_EQ(visited, 129u);
    EXPECT_TRUE(sawDepth128);
    EXPECT_FALSE(sawDepth129);
    LGWalkViewTree(nullptr, [&](const std::shared_ptr<ui::View>&) { ADD_FAILURE(); });
}

TEST_F(ClockTest, AncestorNamesExcludeTheViewItself) {
    buildLegacy();
    auto time = lock->timeLabel();
    EXPECT_TRUE(LGViewHasAncestorNamed(time.get(), "SBUILegibilityLabel"));
    EXPECT_TRUE(LGViewHasAncestorNamed(time.get(), "SBFLockScreenDateView"));
    EXPECT_FALSE(LGViewHasAncestorNamed(time.get(), "UILabel"));
    EXPECT_FALSE(LGViewHasAncestorNamed(time.get(), ""));
    EXPECT_FALSE(LGViewHasAncestorNamed(nullptr, "UIView"));
}

TEST_F(ClockTest, NearestNotificationUsesTheBandAndTheOnePointRule) {
    buildModern();
    auto clock = lock->clockView();
    auto page = lock->mainPage();
    const Rect rect{100, 100, 200, 100};  // the clock's rectangle in the page
    EXPECT_EQ(LGClockNearestNotificationTop(clock, page, rect), kLGClockNoNotificationTop);
    EXPECT_EQ(LGClockNearestNotificationTop(nullptr, page, rect), kLGClockNoNotificationTop);

    // Right edge 20 points left of the rectangle: inside the 32-point band.
    auto near = makeView("PLPlatterView", {0, 150, 80, 60});
    page->addSubview(near);
    EXPECT_EQ(LGClockNearestNotificationTop(clock, page, rect), 150);
    // 40 points left: outside.
    near->setFrame({0, 150, 60, 60});
    EXPECT_EQ(LGClockNearestNotificationTop(clock, page, rect), kLGClockNoNotificationTop);

    // Ending exactly one point below the rectangle's top does not count; 1.5 points does.
    near->setFrame({120, 41, 100, 60});
    EXPECT_EQ(LGClockNearestNotificationTop(clock, page, rect), kLGClockNoNotificationTop);
    near->setFrame({120, 41.5, 100, 60});
    EXPECT_EQ(LGClockNearestNotificationTop(clock, page, rect), 41.5);
    near->removeFromSuperview();

    // A platter nested in a short look counts only through the short look itself.
    ASSERT_TRUE(lock->addNotification({"n", "MAIL", "Title", "Body", false}));
    lock->layoutIfNeeded();
    auto card = lock->listView()->cards()[0];
    const double cardTop = card->convertRect(card->bounds(), page.get()).minY();
    EXPECT_EQ(LGClockNearestNotificationTop(clock, page, rect), cardTop);
    card->setHidden(true);
    EXPECT_EQ(LGClockNearestNotificationTop(clock, page, rect), kLGClockNoNotificationTop);
}

TEST_F(ClockTest, BusyDeadlineOnlyGrowsAndPutsAnAttachedClockOnItsFullRate) {
    const double start = LGClockBusyDeadline();
    LGClockMarkBusy(1.0);
    EXPECT_DOUBLE_EQ(LGClockBusyDeadline(), T0 + 1.0);
    LGClockMarkBusy(0.25);
    EXPECT_DOUBLE_EQ(LGClockBusyDeadline(), T0 + 1.0);
    runUntilSeconds(0.9);
    LGClockMarkBusy(0.25);
    EXPECT_DOUBLE_EQ(LGClockBusyDeadline(), T0 + 1.15);
    EXPECT_GE(LGClockBusyDeadline(), start);

    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    LGDisplayLinkAttach(&client, 1, [] {});
    EXPECT_EQ(client.framesPerSecond, 1);
    LGClockMarkBusy(0.1);
    EXPECT_EQ(client.framesPerSecond, 30);
    LGDisplayLinkDetach(&client);
}

// The glass overlay over the host's clock label, its tracking of scroll and notifications, and
// the injection that places it, in the home-screen host's own view tree.
#include <gtest/gtest.h>

#include <cmath>

#include "ClockTestFixture.h"
#include "platform/runtime/Class.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Window.h"
#include "tweak/LGClockGlassView.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockInjection.h"
#include "tweak/LGClockRefresh.h"
#include "tweak/LGClockScrollObserver.h"
#include "tweak/LGClockTick.h"
#include "tweak/LGNotificationList.h"

using base::PlistValue;
using base::Rect;

namespace {

Rect inWindow(const std::shared_ptr<ui::View>& view) {
    return view->convertRect(view->bounds(), nullptr);
}

std::shared_ptr<ui::View> makeView(const char* className, const Rect& frame) {
    auto view =
        std::dynamic_pointer_cast<ui::View>(runtime::lookUpClass(className)->createInstance());
    view->setFrame(frame);
    return view;
}

}  // namespace

TEST_F(ClockTest, OverlaySitsOnTheModernLabelInTheUnclippedPage) {
    buildModern();
    auto host = lock->clockView();
    auto label = lock->timeLabel();
    LGClockUpdateHost(host);
    auto overlay = LGClockOverlayForHost(host.get());
    ASSERT_NE(overlay, nullptr);
    lock->layoutIfNeeded();
    EXPECT_EQ(overlay->superview(), lock->mainPage());
    EXPECT_EQ(overlay->clockHost(), host);
    EXPECT_EQ(overlay->sourceLabel(), label);
    EXPECT_EQ(overlay->displayText(), "9:41");
    EXPECT_FALSE(overlay->isHidden());
    ASSERT_NE(overlay->cachedMaskImage(), nullptr);
    ASSERT_NE(overlay->glassView(), nullptr);
    EXPECT_EQ(overlay->glassView()->updateGroup(), 5);

    // The glass starts at the label's (even-rounded) top and is centred on it.
    const Rect labelRect = inWindow(label);
    const Rect glass = inWindow(overlay);
    EXPECT_NEAR(glass.minY(), labelRect.minY(), 1.0);
    EXPECT_NEAR(glass.midX(), labelRect.midX(), 1.0);
    EXPECT_GE(glass.height(), labelRect.height());

    // The stock digits are hidden: alpha 0 and every layer transparent, though not hidden.
    EXPECT_EQ(label->alpha(), 0);
    EXPECT_EQ(label->layer()->opacity(), 0);
    EXPECT_FALSE(label->isHidden());
    EXPECT_EQ(LGClockLiveHosts().size(), 1u);
    EXPECT_NE(LGClockDisplayLinkClient().displayLink, nullptr);
}

TEST_F(ClockTest, OverlayOverTheLegacyLabelIsCentredInTheDateViewsSuperview) {
    buildLegacy();
    auto host = lock->clockView();
    LGClockUpdateHost(host);
    auto overlay = LGClockOverlayForHost(host.get());
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->superview(), host->superview());
    EXPECT_FALSE(host->clipsToBounds());
    const Rect labelRect = inWindow(lock->timeLabel());
    const Rect glass = inWindow(overlay);
    EXPECT_NEAR(glass.minY(), labelRect.minY(), 0.5);
    EXPECT_NEAR(glass.midX(), labelRect.midX(), 1.0);
    EXPECT_EQ(overlay->displayAlignment(), 1);
    // The legacy label is controlled through its legibility view.
    EXPECT_EQ(lock->timeLabel()->superview()->alpha(), 0);
}

TEST_F(ClockTest, VerticalOffsetRaisesTheOverlayAndEvenRoundingAbsorbsSubpointMoves) {
    setSettings({{"Quorvane.Clock.VerticalOffset", PlistValue::real(12)}});
    buildModern();
    auto host = lock->clockView();
    LGClockUpdateHost(host);
    auto overlay = LGClockOverlayForHost(host.get());
    const Rect labelInPage =
        lock->timeLabel()->convertRect(lock->timeLabel()->bounds(), lock->mainPage().get());
    EXPECT_EQ(overlay->cachedSourceFrameInContainer().minY(),
              2 * std::round((labelInPage.minY() - 12) / 2));

    EXPECT_EQ(LGClockEvenRect({1, 100.6, 10.9, 3}), (Rect{2, 100, 10, 4}));
    EXPECT_EQ(LGClockEvenRect({0, 101.2, 0, 0}).minY(), 102);
    EXPECT_TRUE(LGClockEvenRect(Rect::null()).isNull());
}

TEST_F(ClockTest, ANotificationRisingTowardsTheClockShrinksTheHeightAxisAndLeavingRestoresIt) {
    buildModern();
    auto host = lock->clockView();
    LGClockUpdateHost(host);
    auto overlay = LGClockOverlayForHost(host.get());
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->cachedDynamicHeightAxis(), 350);
    const double glyphBottom = overlay->frame().maxY() - 30;  // well inside the glass

    // A platter just below the digits: the axis shrinks to keep ten points of space.
    auto platter = makeView("PLPlatterView", {20, glyphBottom - 20, 353, 80});
    lock->mainPage()->addSubview(platter);
    ui::testing::runFrames(10);
    const double squeezed = overlay->cachedDynamicHeightAxis();
    EXPECT_LT(squeezed, 350);
    EXPECT_GE(squeezed, 100);
    EXPECT_NE(overlay->cachedNearestNotificationTop(), std::numeric_limits<double>::max());

    // Gone again: the full height comes back at the next full check.
    platter->removeFromSuperview();
    runUntilSeconds(2);
    EXPECT_EQ(overlay->cachedDynamicHeightAxis(), 350);
    EXPECT_EQ(overlay->cachedNearestNotificationTop(), std::numeric_limits<double>::max());
}

TEST_F(ClockTest, AQuietClockDropsToOneTickPerSecondAfterItsBusyPeriod) {
    buildModern();
    LGClockUpdateHost(lock->clockView());
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    ASSERT_NE(client.displayLink, nullptr);
    EXPECT_EQ(client.framesPerSecond, 30);
    runUntilSeconds(1);
    EXPECT_EQ(client.framesPerSecond, 1);
    // A change marks it busy again.
    lock->timeLabel()->setText("9:42");
    ui::testing::runFrames(2);
    LGClockTick();
    EXPECT_EQ(LGClockOverlayForHost(lock->clockView().get())->displayText(), "9:42");
    EXPECT_EQ(client.framesPerSecond, 30);
}

TEST_F(ClockTest, ScrollingThePagesMovesTheOverlayWithItsHostAndMarksTheClockBusy) {
    buildModern();
    auto host = lock->clockView();
    LGClockUpdateHost(host);
    auto overlay = LGClockOverlayForHost(host.get());
    runUntilSeconds(1);
    const Rect hostBefore = inWindow(host);
    const Rect overlayBefore = inWindow(overlay);
    lock->scrollToPage(0.5, false);
    EXPECT_GE(LGClockBusyDeadline(), T0 + 1 + 0.35 - 1e-9);
    const double dx = inWindow(host).minX() - hostBefore.minX();
    EXPECT_NE(dx, 0);
    EXPECT_DOUBLE_EQ(inWindow(overlay).minX() - overlayBefore.minX(), dx);
    EXPECT_EQ(LGClockDisplayLinkClient().framesPerSecond, 30);
}

TEST_F(ClockTest, ScrollObserverNeitherKeepsItsScrollViewAliveNorOutlivesItsRegistration) {
    auto scroll = ui::ScrollView::create({0, 0, 100, 100});
    auto host = ui::View::create();
    auto observer = LGClockScrollObserver::create(scroll, host, nullptr);
    EXPECT_TRUE(observer->isObserving());
    std::weak_ptr<ui::ScrollView> weak = scroll;
    scroll.reset();
    EXPECT_TRUE(weak.expired());
    observer->invalidate();
    observer->invalidate();
    EXPECT_FALSE(observer->isObserving());

    // An observer that dies first takes its registrations with it.
    auto kept = ui::ScrollView::create({0, 0, 100, 100});
    auto second = LGClockScrollObserver::create(kept, host, nullptr);
    second.reset();
    kept->setContentOffset({0, 10});
    EXPECT_FALSE(kept->removeObserver(nullptr, "contentOffset"));
}

TEST_F(ClockTest, TheLegacyListStartsBelowTheGlassClock) {
    buildLegacy();
    auto host = lock->clockView();
    LGClockUpdateHost(host);
    auto list = lock->listView();
    LGNotificationListReapplyFrame(list);
    const Rect hostInParent = host->convertRect(host->bounds(), list->superview().get());
    EXPECT_EQ(list->frame().minY(), hostInParent.maxY() + 28);

    // On 16 and later the list is left alone.
    lock.reset();
    buildModern();
    const Rect before = lock->listView()->frame();
    LGClockUpdateHost(lock->clockView());
    LGNotificationListReapplyFrame(lock->listView());
    EXPECT_EQ(lock->listView()->frame(), before);
    EXPECT_EQ(LGNotificationListFindInController(lock->listController().get()), nullptr);
}

TEST_F(ClockTest, SwitchingTheClockOffRestoresTheStockLabelAndStopsTheTick) {
    buildModern();
    auto host = lock->clockView();
    auto label = lock->timeLabel();
    LGClockUpdateHost(host);
    ASSERT_NE(LGClockOverlayForHost(host.get()), nullptr);
    setSettings({{"Quorvane.Clock.Enabled", PlistValue::boolean(false)}});
    LGClockRefreshAllHosts();
    EXPECT_EQ(LGClockOverlayForHost(host.get()), nullptr);
    EXPECT_EQ(label->alpha(), 1);
    EXPECT_EQ(label->layer()->opacity(), 1);
    EXPECT_TRUE(LGClockLiveHosts().empty());
    EXPECT_EQ(LGClockDisplayLinkClient().displayLink, nullptr);

    // Back on, without any layout pass: refresh-all finds the host itself.
    setSettings({});
    LGClockRefreshAllHosts();
    EXPECT_NE(LGClockOverlayForHost(host.get()), nullptr);
    EXPECT_NE(LGClockDisplayLinkClient().displayLink, nullptr);
}

TEST_F(ClockTest, WithStockHidingOffTheStockLabelStaysVisibleUnderTheGlass) {
    setSettings({{"Quorvane.Clock.HideStockTime", PlistValue::boolean(false)}});
    buildModern();
    lock->timeLabel()->setAlpha(0.4);
    LGClockUpdateHost(lock->clockView());
    EXPECT_NE(LGClockOverlayForHost(lock->clockView().get()), nullptr);
    EXPECT_EQ(lock->timeLabel()->alpha(), 1);  // forced back to 1 on every update
}

TEST_F(ClockTest, PasscodeAndCameraRemoveTheOverlayAndItReturnsWhenTheyClose) {
    buildModern();
    auto host = lock->clockView();
    LGClockUpdateHost(host);
    lock->setPasscodeVisible(true);
    LGClockUpdateHost(host);
    EXPECT_EQ(LGClockOverlayForHost(host.get()), nullptr);
    lock->setPasscodeVisible(false);
    LGClockUpdateHost(host);
    EXPECT_NE(LGClockOverlayForHost(host.get()), nullptr);

    // A viewfinder over the cover sheet itself blocks; the tick cleans the host up.
    auto viewfinder = makeView("CAMViewfinderView", lock->coverSheetWindow()->bounds());
    lock->coverSheetWindow()->addSubview(viewfinder);
    LGClockUpdateHost(host);
    EXPECT_EQ(LGClockOverlayForHost(host.get()), nullptr);
    viewfinder->removeFromSuperview();
    LGClockUpdateHost(host);
    EXPECT_NE(LGClockOverlayForHost(host.get()), nullptr);
}

TEST_F(ClockTest, SourceLabelsFollowTheCandidateRules) {
    buildLegacy();
    auto host = lock->clockView();
    // A second, larger candidate: the larger one is the source (the first of equal sizes wins).
    auto legibility =
        std::static_pointer_cast<lockscreen::LegibilityLabel>(lock->timeLabel()->superview());
    auto big = ui::Label::create({0, 0, 300, 80});
    big->setText("9:41");
    big->setFont(text::Font::systemFont(90));
    legibility->addSubview(big);
    EXPECT_EQ(LGClockCollectSourceLabels(host).size(), 2u);
    LGClockUpdateHost(host);
    EXPECT_EQ(LGClockOverlayForHost(host.get())->sourceLabel(), big);

    // A modern clock whose labels are all small and none animating gets no overlay.
    lock.reset();
    buildModern();
    host = lock->clockView();
    auto small = ui::Label::create({0, 0, 50, 20});
    small->setText("x");
    small->setFont(text::Font::systemFont(12));
    host->addSubview(small);
    EXPECT_TRUE(LGClockIsModernSourceCandidate(lock->timeLabel().get()));
    EXPECT_FALSE(LGClockIsModernSourceCandidate(small.get()));
    lock->timeLabel()->removeFromSuperview();
    LGClockUpdateHost(host);
    EXPECT_EQ(LGClockOverlayForHost(host.get()), nullptr);
}

TEST_F(ClockTest, HidingTwiceAndRestoringOnceBringsBackTheFirstSavedValues) {
    auto view = ui::View::create({0, 0, 10, 10});
    view->setAlpha(0.7);
    LGClockHideStockLabel(view);
    EXPECT_EQ(view->alpha(), 0);
    view->setAlpha(0.3);
    LGClockHideStockLabel(view);
    LGClockRestoreStockLabel(view);
    EXPECT_NEAR(view->alpha(), 0.7, 1e-6);  // the layer keeps a float
    // Restoring a view never hidden forces it to full alpha.
    view->setAlpha(0.2);
    LGClockRestoreStockLabel(view);
    EXPECT_EQ(view->alpha(), 1);
    EXPECT_FALSE(LGClockStockLabelGuard());
}

// Frame pacing of glass views and the shared display-link hub, on the manual clock.
#include <gtest/gtest.h>

#include <vector>

#include "glass/LGDisplayLinkHub.h"
#include "glass/LGFrameRate.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/FrameStepping.h"
#include "tests/glass/GlassViewTestSupport.h"

using base::PlistValue;
using ui::testing::runFrames;

namespace {

class DisplayLinkHub : public GlassViewTest {
  protected:
    void SetUp() override {
        GlassViewTest::SetUp();
        ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    }
    void TearDown() override {
        for (auto* client : {&slow, &fast}) LGDisplayLinkDetach(client);
    }

    void attach(LGDisplayLinkClient& client, std::int64_t fps, std::vector<double>& ticks) {
        client.activeCount = 1;
        LGDisplayLinkAttach(&client, fps, [&ticks] { ticks.push_back(dispatch::now()); });
    }

    LGDisplayLinkClient slow, fast;
    std::vector<double> slowTicks, fastTicks;
};

using GlassPacing = GlassViewTest;

}  // namespace

TEST_F(DisplayLinkHub, ClientsAt30And60TickOnEverySecondFrameAndEveryFrame) {
    attach(slow, 30, slowTicks);
    attach(fast, 60, fastTicks);
    auto link = LGDisplayLinkShared();
    ASSERT_TRUE(link);
    EXPECT_FALSE(link->isPaused());
    EXPECT_EQ(link->preferredFramesPerSecond(), 60);

    runFrames(60);
    EXPECT_EQ(fastTicks.size(), 60u);
    ASSERT_EQ(slowTicks.size(), 30u);
    for (std::size_t i = 1; i < slowTicks.size(); ++i) {
        EXPECT_NEAR(slowTicks[i] - slowTicks[i - 1], 1.0 / 30, 1e-6) << "tick " << i;
    }

    // Rates are capped by the screen; a new rate ticks at the next frame.
    LGDisplayLinkSetFramesPerSecond(&slow, 500);
    EXPECT_EQ(slow.framesPerSecond, 60);
    EXPECT_EQ(slow.lastTickTime, 0.0);
    slowTicks.clear();
    runFrames(2);
    EXPECT_EQ(slowTicks.size(), 2u);
}

TEST_F(DisplayLinkHub, DeactivatingTheOnlyActiveClientPausesAndReactivatingTicksNextFrame) {
    attach(slow, 30, slowTicks);
    runFrames(2);
    ASSERT_EQ(slowTicks.size(), 1u);

    slow.activeCount = 0;
    LGDisplayLinkActivityChanged(&slow);
    EXPECT_TRUE(LGDisplayLinkShared()->isPaused());
    runFrames(30);
    EXPECT_EQ(slowTicks.size(), 1u);
    slow.activeCount = 1;
    LGDisplayLinkActivityChanged(&slow);
    EXPECT_FALSE(LGDisplayLinkShared()->isPaused());
    runFrames(2);
    EXPECT_EQ(slowTicks.size(), 2u);

    // With the link at 60 for another client: reactivated right after its tick, the 30 Hz
    // client ticks again on the very next frame, not a full interval later.
    attach(fast, 60, fastTicks);
    while (slowTicks.size() < 3) runFrames(1);
    slow.activeCount = 0;
    LGDisplayLinkActivityChanged(&slow);
    slow.activeCount = 1;
    LGDisplayLinkActivityChanged(&slow);
    runFrames(1);
    ASSERT_EQ(slowTicks.size(), 4u);
    EXPECT_NEAR(slowTicks[3] - slowTicks[2], 1.0 / 60, 1e-6);
}

TEST_F(DisplayLinkHub, AttachDetachKeepOneLinkAndTheLastDetachEndsIt) {
    slow.activeCount = 0;
    LGDisplayLinkAttach(&slow, 0, [] {});
    EXPECT_EQ(slow.framesPerSecond, 1) << "raised to 1";
    auto link = LGDisplayLinkShared();
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isPaused()) << "no active client";
    LGDisplayLinkAttach(&slow, 30, [] {});
    EXPECT_EQ(slow.framesPerSecond, 1) << "attaching twice does nothing";

    // A client that detaches itself (and another) from inside its tick.
    fast.activeCount = 1;
    int fastTicks = 0;
    LGDisplayLinkAttach(&fast, 60, [&] {
        ++fastTicks;
        LGDisplayLinkDetach(&fast);
        LGDisplayLinkDetach(&slow);
    });
    EXPECT_EQ(LGDisplayLinkShared(), link);
    EXPECT_EQ(LGDisplayLinkClientCount(), 2u);
    runFrames(3);
    EXPECT_EQ(fastTicks, 1);
    EXPECT_EQ(LGDisplayLinkClientCount(), 0u);
    EXPECT_FALSE(LGDisplayLinkShared());
    EXPECT_FALSE(link->isValid());
    EXPECT_FALSE(fast.displayLink);
    EXPECT_EQ(fast.framesPerSecond, 0);
}

TEST_F(GlassPacing, FrameRatePreferencesByGroupWithFloorsAndScreenCap) {
    setPreferences({{"Quorvane.Clock.FPS", PlistValue::integer(15)},
                    {"Homescreen.FPS", PlistValue::integer(120)}});
    ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    EXPECT_EQ(LGGlassFramesPerSecond(5), 30) << "glass views never pace below 30";
    EXPECT_EQ(LGPreferredFramesPerSecond("Quorvane.Clock.FPS", 10), 15);
    EXPECT_EQ(LGPreferredFramesPerSecond("Quorvane.Clock.FPS", 20), 20);
    EXPECT_EQ(LGGlassFramesPerSecond(1), 120) << "no cap for glass views";
    EXPECT_EQ(LGPreferredFramesPerSecond("Homescreen.FPS", 10), 60) << "capped by the screen";
    EXPECT_EQ(LGGlassFramesPerSecond(6), 30);
    EXPECT_EQ(LGGlassFramesPerSecond(0), 30);
    EXPECT_EQ(LGGlassFramesPerSecond(9), 30);
    EXPECT_EQ(LGScreenMaximumFramesPerSecond(), 60);
}

TEST_F(GlassPacing, TenRequestsInOneTurnGiveOneFrame) {
    auto view = makeGlass({10, 10, 40, 40}, makeTestImage(30, 60));
    ASSERT_TRUE(view);
    drain();
    const std::uint64_t frames = stats().framesCommitted;
    for (int i = 0; i < 10; ++i) view->scheduleDraw();
    drain();
    runFor(0.5);
    EXPECT_EQ(stats().framesCommitted, frames + 1);
    EXPECT_FALSE(Access::drawScheduled(*view));
}

TEST_F(GlassPacing, FramesAreOneGroupIntervalApartAtLeast) {
    setPreferences({{"Quorvane.Clock.FPS", PlistValue::integer(30)}});
    auto view = makeGlass({10, 10, 40, 40}, makeTestImage(30, 60));
    ASSERT_TRUE(view);
    view->setUpdateGroup(5);
    drain();
    runFor(1.0);

    // Asked 1000 times a second for one second: frames 1/30 s apart, 30 of them in the second.
    const double start = dispatch::now();
    std::vector<double> frameTimes;
    for (int i = 0; i < 1000; ++i) {
        view->scheduleDraw();
        runFor(0.001);
        const double last = Access::lastDrawSubmissionTime(*view);
        if (last >= start && (frameTimes.empty() || last != frameTimes.back())) {
            frameTimes.push_back(last);
        }
    }
    std::size_t inFirstSecond = 0;
    for (std::size_t i = 0; i < frameTimes.size(); ++i) {
        if (frameTimes[i] < start + 1.0) ++inFirstSecond;
        if (i > 0) {
            EXPECT_GE(frameTimes[i] - frameTimes[i - 1], 1.0 / 30 - 1e-6) << "frame " << i;
        }
    }
    EXPECT_EQ(inFirstSecond, 30u);

    // A hidden view draws nothing and keeps its last submission time.
    runFor(1.0);
    const double last = Access::lastDrawSubmissionTime(*view);
    view->setHidden(true);
    view->scheduleDraw();
    runFor(0.1);
    EXPECT_EQ(Access::lastDrawSubmissionTime(*view), last);
    EXPECT_FALSE(Access::drawScheduled(*view));
}

TEST_F(GlassPacing, OffScreenViewStopsRequestingFramesYetDrawsWhenAsked) {
    auto view = makeGlass({10, 10, 40, 40}, makeTestImage(30, 60));
    ASSERT_TRUE(view);
    drain();
    runFor(0.1);
    view->setFrame({30, 10, 40, 40});
    view->updateOrigin();
    EXPECT_TRUE(Access::drawScheduled(*view)) << "moved on screen: a frame";
    runFor(0.1);

    view->setFrame({-500, 10, 40, 40});
    view->updateOrigin();
    EXPECT_FALSE(Access::drawScheduled(*view));
    const std::uint64_t frames = stats().framesCommitted;
    view->scheduleDraw();
    runFor(0.1);
    EXPECT_EQ(stats().framesCommitted, frames + 1);

    // Sub-pixel moves are jitter.
    view->setFrame({10, 10, 40, 40});
    view->updateOrigin();
    runFor(0.1);
    view->setFrame({10.1, 10, 40, 40});
    view->updateOrigin();
    EXPECT_FALSE(Access::drawScheduled(*view));
}

TEST_F(GlassPacing, GroupNineDrawsOnQueueZeroWithoutCeiling) {
    const LGGlassContext& context = *LGGlassContextShared();
    EXPECT_EQ(context.queueForGroup(9), context.queues[0]);
    EXPECT_EQ(context.queueForGroup(-1), context.queues[0]);
    EXPECT_EQ(context.queueForGroup(5), context.queues[5]);
    EXPECT_NE(context.queues[5], context.queues[0]);

    auto view = makeGlass({0, 0, 100, 300}, makeTestImage(30, 60));
    ASSERT_TRUE(view);
    view->setUpdateGroup(9);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 1500, 3000), 0.72);
    const std::uint64_t frames = stats().framesCommitted;
    view->scheduleDraw();
    drain();
    EXPECT_EQ(stats().framesCommitted, frames + 1);
}

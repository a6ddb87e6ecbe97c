#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/FrameStepping.h"

using ui::DisplayLink;
using ui::testing::runFrames;

namespace {

class DisplayLinkTest : public UiTest {
  protected:
    void TearDown() override {
        for (auto& link : links) link->invalidate();
        UiTest::TearDown();
    }

    std::shared_ptr<DisplayLink> addLink(std::vector<double>& stamps,
                                         dispatch::Mode mode = dispatch::Mode::Common) {
        auto link =
            DisplayLink::create([&stamps](DisplayLink& l) { stamps.push_back(l.timestamp()); });
        link->addToRunLoop(dispatch::RunLoop::main(), mode);
        links.push_back(link);
        return link;
    }

    std::vector<std::shared_ptr<DisplayLink>> links;
};

}  // namespace

TEST_F(DisplayLinkTest, TicksOncePerRefreshOfA60HzScreenWithRefreshTimestamps) {
    ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    std::vector<double> stamps;
    auto link = addLink(stamps);
    runFrames(60);
    ASSERT_EQ(stamps.size(), 60u);
    EXPECT_NEAR(stamps.front(), 1000.0 + 1.0 / 60, 1e-9);
    EXPECT_DOUBLE_EQ(stamps.back(), 1001.0);
    EXPECT_NEAR(link->targetTimestamp(), 1001.0 + 1.0 / 60, 1e-9);
    EXPECT_DOUBLE_EQ(link->duration(), 1.0 / 60);
    EXPECT_EQ(link->framesPerSecond(), 60);
}

TEST_F(DisplayLinkTest, APreferredRateTicksOnEveryNthRefresh) {
    ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    std::vector<double> thirty, sixty;
    auto slow = addLink(thirty);
    slow->setPreferredFramesPerSecond(30);
    addLink(sixty);
    runFrames(60);
    EXPECT_EQ(sixty.size(), 60u);
    ASSERT_EQ(thirty.size(), 30u);
    EXPECT_NEAR(thirty[1] - thirty[0], 1.0 / 30, 1e-9);
    EXPECT_EQ(slow->framesPerSecond(), 30);

    // Asking for more than the screen gives the screen's rate; on a 120 Hz screen 30 is every
    // fourth refresh.
    slow->setPreferredFramesPerSecond(240);
    EXPECT_EQ(slow->framesPerSecond(), 60);
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    slow->setPreferredFramesPerSecond(30);
    thirty.clear();
    runFrames(120);
    EXPECT_EQ(thirty.size(), 30u);
}

TEST_F(DisplayLinkTest, APausedLinkDoesNotTickAndResumesAtTheNextRefresh) {
    ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    std::vector<double> stamps;
    auto link = addLink(stamps);
    link->setPaused(true);
    runFrames(30);
    EXPECT_TRUE(stamps.empty());
    link->setPaused(false);
    runFrames(1);
    ASSERT_EQ(stamps.size(), 1u);
    EXPECT_NEAR(stamps[0], 1000.5 + 1.0 / 60, 1e-9);
}

TEST_F(DisplayLinkTest, TheCallbackMayPauseOrInvalidateItsOwnLink) {
    ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    int ticks = 0;
    auto link = DisplayLink::create([&](DisplayLink& l) {
        if (++ticks == 3) l.invalidate();
    });
    std::weak_ptr<DisplayLink> watch = link;
    link->addToRunLoop(dispatch::RunLoop::main(), dispatch::Mode::Common);
    link.reset();  // the run loop keeps a scheduled link
    runFrames(10);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(watch.expired());  // and lets go of it once invalidated
}

TEST_F(DisplayLinkTest, CommonModeLinksTickWhileTheLoopTracksDefaultOnesDoNot) {
    ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    std::vector<double> common, normal;
    addLink(common, dispatch::Mode::Common);
    addLink(normal, dispatch::Mode::Default);
    runFrames(6, dispatch::Mode::Tracking);
    EXPECT_EQ(common.size(), 6u);
    EXPECT_TRUE(normal.empty());
}

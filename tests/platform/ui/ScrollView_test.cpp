#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/ScrollView.h"

using base::Point;
using base::Rect;
using ui::ScrollView;

namespace {

struct Note {
    std::string keyPath;
    ui::ObservedValue value;
    void* context;
};

class Recorder {
  public:
    std::shared_ptr<ui::BlockObserver> observer =
        ui::BlockObserver::create([this](const std::string& key, runtime::Object*,
                                         const ui::ObservedChange& change, void* context) {
            notes.push_back({key, change.newValue, context});
        });
    std::vector<Note> notes;

    std::vector<std::string> keys() const {
        std::vector<std::string> out;
        for (const auto& n : notes) out.push_back(n.keyPath);
        return out;
    }
};

char kContext;

}  // namespace

TEST_F(UiTest, OffsetAndBoundsChangesReachObserversInOrder) {
    auto scroll = ScrollView::create(Rect{0, 0, 100, 200});
    scroll->setContentSize({100, 1000});
    Recorder r;
    scroll->addObserver(r.observer, "contentOffset", ui::ObservingOptions::New, &kContext);
    scroll->addObserver(r.observer, "bounds", ui::ObservingOptions::New, &kContext);

    scroll->setContentOffset({0, 40});
    scroll->setBounds(Rect{0, 60, 100, 200});
    scroll->setFrame(Rect{0, 0, 100, 300});  // size only: no offset change
    ASSERT_EQ(r.keys(), (std::vector<std::string>{"bounds", "contentOffset", "bounds",
                                                  "contentOffset", "bounds"}));
    EXPECT_EQ(std::get<Point>(r.notes[1].value), (Point{0, 40}));
    EXPECT_EQ(std::get<Rect>(r.notes[2].value), (Rect{0, 60, 100, 200}));
    EXPECT_EQ(r.notes[0].context, &kContext);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 60}));
}

TEST_F(UiTest, ChangesMadeByAnObserverWaitUntilTheCurrentOneReachedEveryone) {
    auto scroll = ScrollView::create(Rect{0, 0, 100, 100});
    std::vector<std::string> log;
    // The first observer clamps negative offsets back to zero.
    auto clamp = ui::BlockObserver::create(
        [&](const std::string&, runtime::Object*, const ui::ObservedChange& c, void*) {
            const Point p = std::get<Point>(c.newValue);
            log.push_back("clamp " + std::to_string(int(p.y)));
            if (p.y < 0) scroll->setContentOffset({0, 0});
        });
    auto second = ui::BlockObserver::create(
        [&](const std::string&, runtime::Object*, const ui::ObservedChange& c, void*) {
            log.push_back("second " + std::to_string(int(std::get<Point>(c.newValue).y)));
        });
    scroll->addObserver(clamp, "contentOffset");
    scroll->addObserver(second, "contentOffset");
    scroll->setContentOffset({0, -30});
    EXPECT_EQ(log, (std::vector<std::string>{"clamp -30", "second -30", "clamp 0", "second 0"}));
}

TEST_F(UiTest, RemovingObserversReportsWhetherTheyWereRegistered) {
    auto scroll = ScrollView::create(Rect{0, 0, 100, 100});
    Recorder r;
    EXPECT_FALSE(scroll->removeObserver(r.observer.get(), "contentOffset", &kContext));
    scroll->addObserver(r.observer, "contentOffset", ui::ObservingOptions::New, &kContext);
    EXPECT_FALSE(scroll->removeObserver(r.observer.get(), "contentOffset", nullptr));
    EXPECT_TRUE(scroll->removeObserver(r.observer.get(), "contentOffset", &kContext));
    EXPECT_FALSE(scroll->removeObserver(r.observer.get(), "contentOffset", &kContext));
    scroll->setContentOffset({0, 10});
    EXPECT_TRUE(r.notes.empty());

    // An observer that went away is simply not told; nothing keeps it alive.
    std::weak_ptr<ui::BlockObserver> watch;
    {
        Recorder gone;
        watch = gone.observer;
        scroll->addObserver(gone.observer, "contentOffset");
    }
    EXPECT_TRUE(watch.expired());
    scroll->setContentOffset({0, 20});

    // Initial delivers the current value at once.
    scroll->addObserver(r.observer, "contentOffset",
                        ui::ObservingOptions::New | ui::ObservingOptions::Initial);
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(std::get<Point>(r.notes[0].value), (Point{0, 20}));
}

namespace {
struct EndWatcher : ui::ScrollViewDelegate {
    int ends = 0;
    int scrolls = 0;
    void scrollViewDidScroll(ScrollView&) override { ++scrolls; }
    void scrollViewDidEndScrollingAnimation(ScrollView&) override { ++ends; }
};
}  // namespace

TEST_F(UiTest, AnimatedScrollingMovesTheOffsetOncePerRefreshUntilTheTarget) {
    ui::Screen::setMainProfile(ui::DeviceProfile::standardPhone(), false);
    auto scroll = ScrollView::create(Rect{0, 0, 100, 100});
    auto watcher = std::make_shared<EndWatcher>();
    scroll->setDelegate(watcher);
    Recorder r;
    scroll->addObserver(r.observer, "contentOffset");

    scroll->setContentOffset({0, 300}, true);
    EXPECT_TRUE(r.notes.empty());
    ui::testing::runFrames(30);
    // 0.3 s at 60 Hz: 18 steps, the last one on the target.
    EXPECT_EQ(r.notes.size(), 18u);
    double previous = 0;
    for (const auto& note : r.notes) {
        const double y = std::get<Point>(note.value).y;
        EXPECT_GT(y, previous);
        previous = y;
    }
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 300}));
    EXPECT_FALSE(scroll->isScrollAnimating());
    EXPECT_EQ(watcher->ends, 1);
    EXPECT_EQ(watcher->scrolls, 18);

    // A direct change stops an animated scroll where it is.
    scroll->setContentOffset({0, 0}, true);
    ui::testing::runFrames(3);
    scroll->setContentOffset({0, 123});
    ui::testing::runFrames(30);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 123}));
    EXPECT_EQ(watcher->ends, 1);
}

TEST_F(UiTest, ScrollRectToVisibleMovesAsLittleAsNeededWithinTheContent) {
    auto scroll = ScrollView::create(Rect{0, 0, 100, 100});
    scroll->setContentSize({100, 500});
    scroll->scrollRectToVisible(Rect{0, 150, 10, 10}, false);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 60}));
    scroll->scrollRectToVisible(Rect{0, 20, 10, 10}, false);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 20}));
    scroll->scrollRectToVisible(Rect{0, 900, 10, 10}, false);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 400}));
}

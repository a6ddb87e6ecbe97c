#include "platform/substrate/Substrate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/Runtime.h"

using runtime::Object;
using runtime::SEL;

namespace {

struct Frame {
    double x = 0, y = 0, width = 0, height = 0;
};

// A host program's view classes, reached by the hooking code only through their names.
class View : public Object {
    QV_OBJECT(View, Object);

  public:
    static inline const runtime::Message<void(Frame)> kSetFrame{"setFrame:"};
    static inline const runtime::Message<void()> kLayoutSubviews{"layoutSubviews"};
    static inline const runtime::Message<void(int)> kSetTag{"setTag:"};

    void setFrame(Frame frame) { kSetFrame.send(this, frame); }
    void layoutSubviews() { kLayoutSubviews.send(this); }
    void setTag(int tag) { kSetTag.send(this, tag); }

    Frame frame;
    std::vector<std::string> trace;
    std::atomic<int> tags{0};

  private:
    static void registerMethods(runtime::MethodList<View>& methods) {
        methods.add<&View::setFrameDefault>(kSetFrame)
            .add<&View::layoutDefault>(kLayoutSubviews)
            .add<&View::setTagDefault>(kSetTag);
    }
    void setFrameDefault(Frame f) { frame = f; }
    void layoutDefault() { trace.push_back("View.layout"); }
    void setTagDefault(int tag) { tags += tag; }
};

class TimeView : public View {
    QV_OBJECT(TimeView, View);
};

class DateView : public View {
    QV_OBJECT(DateView, View);
};

View* asView(Object* self) {
    return static_cast<View*>(self);
}

}  // namespace

QV_DEFINE_CLASS(View, "QVSubstrateView");
QV_DEFINE_CLASS(TimeView, "QVSubstrateTimeView");
QV_DEFINE_CLASS(DateView, "QVSubstrateDateView");

// The slot and replacement as a tweak's hook table writes them: an untyped slot, cast at the
// call, and a frame adjusted before the previous implementation sees it.
static runtime::IMP origTimeViewSetFrame = nullptr;
static void hookTimeViewSetFrame(Object* self, SEL cmd, Frame frame) {
    frame.y -= 10;
    runtime::impCast<void(Frame)>(origTimeViewSetFrame)(self, cmd, frame);
}

TEST(MSHookMessageEx, HookOnAClassFoundByNameCallsThroughItsSlotWithAdjustedArguments) {
    MSHookMessageEx(runtime::lookUpClass("QVSubstrateTimeView"), QV_SEL("setFrame:"),
                    runtime::toImp(&hookTimeViewSetFrame), &origTimeViewSetFrame);
    ASSERT_NE(origTimeViewSetFrame, nullptr);
    EXPECT_EQ(origTimeViewSetFrame,
              runtime::methodImplementation(View::staticClass(), View::kSetFrame.selector()));

    auto time = std::make_shared<TimeView>();
    time->setFrame({1, 50, 100, 40});
    EXPECT_DOUBLE_EQ(time->frame.y, 40);
    EXPECT_DOUBLE_EQ(time->frame.width, 100);

    // The method is inherited from View: the hook stays on the class it was installed on.
    auto date = std::make_shared<DateView>();
    auto view = std::make_shared<View>();
    date->setFrame({1, 50, 100, 40});
    view->setFrame({1, 50, 100, 40});
    EXPECT_DOUBLE_EQ(date->frame.y, 50);
    EXPECT_DOUBLE_EQ(view->frame.y, 50);
}

TEST(MSHookMessageEx, MissingClassOrMethodInstallsNothingAndLeavesTheSlot) {
    void (*replacement)(Object*, SEL) = [](Object* self, SEL) {
        asView(self)->trace.push_back("hook");
    };
    const runtime::IMP sentinel = runtime::toImp(replacement);
    runtime::IMP slot = sentinel;

    // A class the running system does not have.
    MSHookMessageEx(runtime::lookUpClass("SBFLockScreenDateViewThatIsNotThere"),
                    QV_SEL("layoutSubviews"), runtime::toImp(replacement), &slot);
    EXPECT_EQ(slot, sentinel);
    // A selector the class does not respond to, a null selector, a null replacement.
    MSHookMessageEx(View::staticClass(), QV_SEL("layoutSublayers"), runtime::toImp(replacement),
                    &slot);
    MSHookMessageEx(View::staticClass(), SEL(), runtime::toImp(replacement), &slot);
    MSHookMessageEx(View::staticClass(), QV_SEL("layoutSubviews"), nullptr, &slot);
    EXPECT_EQ(slot, sentinel);
    EXPECT_FALSE(View::staticClass()->instancesRespondTo(QV_SEL("layoutSublayers")));
    // A typed replacement whose signature differs from the method's.
    void (*wrongSignature)(Object*, SEL, int) = [](Object*, SEL, int) {};
    void (*typedSlot)(Object*, SEL, int) = wrongSignature;
    MSHookMessageEx(View::staticClass(), QV_SEL("layoutSubviews"), wrongSignature, &typedSlot);
    EXPECT_EQ(typedSlot, wrongSignature);
    EXPECT_FALSE(substrate::hookMessage(nullptr, QV_SEL("layoutSubviews"),
                                        runtime::toImp(replacement), nullptr));

    auto view = std::make_shared<View>();
    view->layoutSubviews();
    EXPECT_EQ(view->trace, std::vector<std::string>{"View.layout"});
}

static void (*firstPrevious)(Object*, SEL) = nullptr;
static void (*secondPrevious)(Object*, SEL) = nullptr;
static void firstHook(Object* self, SEL cmd) {
    asView(self)->trace.push_back("first");
    firstPrevious(self, cmd);
}
static void secondHook(Object* self, SEL cmd) {
    asView(self)->trace.push_back("second");
    secondPrevious(self, cmd);
}

TEST(MSHookMessageEx, TwoHooksOnOneMethodChainThroughTheirSlots) {
    runtime::Class* dateClass = runtime::lookUpClass("QVSubstrateDateView");
    EXPECT_TRUE(
        substrate::hookMessage(dateClass, QV_SEL("layoutSubviews"), &firstHook, &firstPrevious));
    MSHookMessageEx(dateClass, QV_SEL("layoutSubviews"), &secondHook, &secondPrevious);
    EXPECT_EQ(secondPrevious, &firstHook);

    auto date = std::make_shared<DateView>();
    date->layoutSubviews();
    EXPECT_EQ(date->trace, (std::vector<std::string>{"second", "first", "View.layout"}));
}

// Regression: the slot was filled after the replacement became reachable, so a message sent on
// another thread in between called through a null slot.
static void (*racingPrevious)(Object*, SEL, int) = nullptr;
static std::atomic<int> emptySlotCalls{0};
static std::atomic<int> hookedCalls{0};
static void racingHook(Object* self, SEL cmd, int tag) {
    ++hookedCalls;
    if (racingPrevious != nullptr) {
        racingPrevious(self, cmd, tag);
    } else {
        ++emptySlotCalls;
    }
}

TEST(MSHookMessageEx, SlotIsFilledBeforeTheReplacementCanRun) {
    auto view = std::make_shared<TimeView>();
    std::atomic<bool> stop{false};
    std::atomic<int> sends{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 2; ++t) {
        senders.emplace_back([&] {
            while (!stop.load()) {
                view->setTag(1);
                ++sends;
            }
        });
    }
    while (sends.load() < 1000) std::this_thread::yield();

    MSHookMessageEx(View::staticClass(), QV_SEL("setTag:"), &racingHook, &racingPrevious);
    while (hookedCalls.load() < 1000) std::this_thread::yield();
    stop = true;
    for (std::thread& t : senders) t.join();
    EXPECT_EQ(emptySlotCalls.load(), 0);
    EXPECT_EQ(view->tags.load(), sends.load() - emptySlotCalls.load());
}

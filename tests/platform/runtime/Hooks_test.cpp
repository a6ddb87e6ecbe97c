#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/Runtime.h"
#include "tests/platform/runtime/ScopedReplacement.h"
#include "tests/platform/runtime/Widgets.h"

using namespace widgets;
using runtime::Object;
using runtime::SEL;
using Trace = std::vector<std::string>;

namespace {

Widget* asWidget(Object* self) {
    return static_cast<Widget*>(self);
}

}  // namespace

TEST(MethodReplacement, ReplacementOnSuperclassReachesSubclassesWithoutOverride) {
    static void (*previous)(Object*, SEL, bool) = nullptr;
    void (*replacement)(Object*, SEL, bool) = [](Object* self, SEL cmd, bool hidden) {
        asWidget(self)->trace.push_back("hook.setHidden");
        previous(self, cmd, hidden);
    };

    // A send before the hook fills the subclass's cache with the old implementation; the
    // replacement must still be seen afterwards.
    auto slider = std::make_shared<Slider>();
    auto fancy = std::make_shared<FancyButton>();
    slider->setHidden(false);
    fancy->setHidden(false);

    ScopedReplacement hook(Widget::staticClass(), Widget::kSetHidden.selector(), replacement,
                           &previous);
    ASSERT_TRUE(hook.installed());
    slider->trace.clear();
    fancy->trace.clear();
    slider->setHidden(true);
    fancy->setHidden(true);
    EXPECT_EQ(slider->trace, (Trace{"hook.setHidden", "Widget.setHidden"}));
    EXPECT_EQ(fancy->trace, (Trace{"hook.setHidden", "Widget.setHidden"}));
    EXPECT_TRUE(slider->hidden());
}

TEST(MethodReplacement, SuperCallFromAnOverrideEntersTheSuperclassReplacement) {
    static void (*previous)(Object*, SEL) = nullptr;
    void (*replacement)(Object*, SEL) = [](Object* self, SEL cmd) {
        asWidget(self)->trace.push_back("hook.layout(" + self->className() + ")");
        previous(self, cmd);
    };

    auto button = std::make_shared<Button>();
    auto fancy = std::make_shared<FancyButton>();
    button->layoutSubviews();  // cached before the hook
    button->trace.clear();

    ScopedReplacement hook(Widget::staticClass(), Widget::kLayoutSubviews.selector(), replacement,
                           &previous);
    ASSERT_TRUE(hook.installed());
    button->layoutSubviews();
    fancy->layoutSubviews();
    // The receiver stays the subclass instance inside the superclass's replacement.
    EXPECT_EQ(button->trace, (Trace{"Button.layout", "hook.layout(QVButton)", "Widget.layout"}));
    EXPECT_EQ(fancy->trace,
              (Trace{"Button.layout", "hook.layout(QVFancyButton)", "Widget.layout"}));
}

TEST(MethodReplacement, PreviousImplementationRunsWithAdjustedArgumentsAndResults) {
    static void (*previousAlpha)(Object*, SEL, double) = nullptr;
    static std::string (*previousDescription)(Object*, SEL) = nullptr;
    void (*halfAlpha)(Object*, SEL, double) = [](Object* self, SEL cmd, double alpha) {
        previousAlpha(self, cmd, alpha / 2);
    };
    std::string (*tagged)(Object*, SEL) = [](Object* self, SEL cmd) {
        return previousDescription(self, cmd) + "+hooked";
    };

    ScopedReplacement alphaHook(Widget::staticClass(), Widget::kSetAlpha.selector(), halfAlpha,
                                &previousAlpha);
    ScopedReplacement descriptionHook(Widget::staticClass(), Widget::kDescription.selector(),
                                      tagged, &previousDescription);
    ASSERT_TRUE(alphaHook.installed() && descriptionHook.installed());

    auto slider = std::make_shared<Slider>();
    slider->setAlpha(0.5);
    EXPECT_DOUBLE_EQ(slider->alpha(), 0.25);
    EXPECT_EQ(slider->description(), "<QVSlider>+hooked");
}

TEST(MethodReplacement, ReplacingTwiceChainsNewestFirstAndUnwindsInOrder) {
    static void (*firstPrevious)(Object*, SEL, const std::string&) = nullptr;
    static void (*secondPrevious)(Object*, SEL, const std::string&) = nullptr;
    void (*first)(Object*, SEL, const std::string&) = [](Object* self, SEL cmd,
                                                         const std::string& title) {
        asWidget(self)->trace.push_back("first");
        firstPrevious(self, cmd, title + "1");
    };
    void (*second)(Object*, SEL, const std::string&) = [](Object* self, SEL cmd,
                                                          const std::string& title) {
        asWidget(self)->trace.push_back("second");
        secondPrevious(self, cmd, title + "2");
    };

    auto slider = std::make_shared<Slider>();
    {
        ScopedReplacement one(Widget::staticClass(), Widget::kSetTitle.selector(), first,
                              &firstPrevious);
        {
            ScopedReplacement two(Widget::staticClass(), Widget::kSetTitle.selector(), second,
                                  &secondPrevious);
            EXPECT_EQ(secondPrevious, first);
            slider->setTitle("t");
            EXPECT_EQ(slider->trace, (Trace{"second", "first", "Widget.setTitle"}));
            EXPECT_EQ(slider->title(), "t21");
        }
        slider->trace.clear();
        slider->setTitle("t");
        EXPECT_EQ(slider->trace, (Trace{"first", "Widget.setTitle"}));
    }
    slider->trace.clear();
    slider->setTitle("t");
    EXPECT_EQ(slider->trace, (Trace{"Widget.setTitle"}));
}

TEST(MethodReplacement, ReplacingAnInheritedMethodStaysOnThatClass) {
    static void (*previous)(Object*, SEL) = nullptr;
    void (*replacement)(Object*, SEL) = [](Object* self, SEL cmd) {
        asWidget(self)->trace.push_back("hook.didMove");
        previous(self, cmd);
    };

    auto widget = std::make_shared<Widget>();
    auto slider = std::make_shared<Slider>();
    auto window = std::make_shared<Window>();

    ScopedReplacement hook(Slider::staticClass(), Widget::kDidMoveToWindow.selector(), replacement,
                           &previous);
    ASSERT_TRUE(hook.installed());
    EXPECT_TRUE(Slider::staticClass()->definesMethod(Widget::kDidMoveToWindow.selector()));
    EXPECT_EQ(
        runtime::toImp(previous),
        runtime::methodImplementation(Widget::staticClass(), Widget::kDidMoveToWindow.selector()));

    widget->didMoveToWindow();
    slider->didMoveToWindow();
    window->didMoveToWindow();
    EXPECT_EQ(widget->trace, (Trace{"Widget.didMove"}));
    EXPECT_EQ(slider->trace, (Trace{"hook.didMove", "Widget.didMove"}));
    EXPECT_EQ(window->trace, (Trace{"Widget.didMove"}));
}

TEST(MethodReplacement, RefusedReplacementsChangeNothing) {
    static void (*slot)(Object*, SEL, double) = nullptr;
    void (*replacement)(Object*, SEL, double) = [](Object*, SEL, double) {};
    void (*wrongType)(Object*, SEL, int) = [](Object*, SEL, int) {};
    const SEL border = Widget::kSetBorderWidth.selector();
    runtime::Class* widgetClass = Widget::staticClass();
    const runtime::IMP before = runtime::methodImplementation(widgetClass, border);

    EXPECT_EQ(runtime::replaceMethod(nullptr, border, runtime::toImp(replacement)), nullptr);
    EXPECT_EQ(runtime::replaceMethod(widgetClass, SEL(), runtime::toImp(replacement)), nullptr);
    EXPECT_EQ(runtime::replaceMethod(widgetClass, border, nullptr), nullptr);
    EXPECT_EQ(
        runtime::replaceMethod(widgetClass, QV_SEL("setBorderColor:"), runtime::toImp(replacement)),
        nullptr);
    EXPECT_FALSE(widgetClass->instancesRespondTo(QV_SEL("setBorderColor:")));
    // The typed form refuses a replacement that would receive an int where callers pass a double.
    EXPECT_EQ(runtime::replaceMethod(widgetClass, border, wrongType), nullptr);
    runtime::IMP untouched = runtime::toImp(replacement);
    EXPECT_FALSE(runtime::replaceMethod(widgetClass, border, runtime::toImp(wrongType), &untouched,
                                        runtime::signatureOf<void(int)>()));
    EXPECT_EQ(untouched, runtime::toImp(replacement));
    EXPECT_FALSE(runtime::replaceMethod(nullptr, border, replacement, &slot));
    EXPECT_EQ(slot, nullptr);

    EXPECT_EQ(runtime::methodImplementation(widgetClass, border), before);
    auto widget = std::make_shared<Widget>();
    widget->setBorderWidth(3);
    EXPECT_DOUBLE_EQ(widget->borderWidth(), 3);
}

TEST(MethodReplacement, SendsRacingAReplacementRunExactlyOneImplementationEach) {
    static void (*previous)(Object*, SEL, int) = nullptr;
    static std::atomic<int> hookedCalls{0};
    void (*replacement)(Object*, SEL, int) = [](Object* self, SEL cmd, int tag) {
        ++hookedCalls;
        previous(self, cmd, tag);
    };

    hookedCalls = 0;

    // Senders run until they have seen the replacement many times, so the installation lands
    // while they are sending.
    constexpr int kThreads = 3;
    auto widget = std::make_shared<Slider>();
    std::atomic<int> sends{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&] {
            while (!stop.load()) {
                widget->setTag(1);
                ++sends;
            }
        });
    }
    while (sends.load() < 1000) std::this_thread::yield();
    {
        ScopedReplacement hook(Widget::staticClass(), Widget::kSetTag.selector(), replacement,
                               &previous);
        ASSERT_TRUE(hook.installed());
        while (hookedCalls.load() < 1000) std::this_thread::yield();
        stop = true;
        for (std::thread& t : senders) t.join();
        // Every send reached the default implementation once, through the hook or not.
        EXPECT_EQ(widget->tagSum(), sends.load());
        EXPECT_LT(hookedCalls.load(), sends.load());
        const int hookedBefore = hookedCalls.load();
        widget->setTag(1);
        EXPECT_EQ(hookedCalls.load(), hookedBefore + 1);
    }
    const int hookedAfterRemoval = hookedCalls.load();
    widget->setTag(1);
    EXPECT_EQ(hookedCalls.load(), hookedAfterRemoval);
}

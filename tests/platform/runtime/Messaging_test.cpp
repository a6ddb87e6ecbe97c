#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/Runtime.h"
#include "tests/platform/runtime/Widgets.h"

using namespace widgets;
using Trace = std::vector<std::string>;

TEST(Messaging, PublicMembersSendToTheRegisteredImplementations) {
    auto slider = std::make_shared<Slider>();
    slider->setAlpha(0.25);
    EXPECT_DOUBLE_EQ(slider->alpha(), 0.25);
    EXPECT_EQ(slider->description(), "<QVSlider>");

    // Button overrides setTitle: and decorates before calling its superclass's implementation.
    auto button = std::make_shared<Button>();
    button->setTitle("OK");
    EXPECT_EQ(button->title(), "[OK]");
    EXPECT_EQ(button->trace, (Trace{"Widget.setTitle"}));

    // FancyButton inherits Button's override; the super call inside it still starts above
    // Button rather than at the receiver's class, so it does not call itself.
    auto fancy = std::make_shared<FancyButton>();
    fancy->layoutSubviews();
    EXPECT_EQ(fancy->trace, (Trace{"Button.layout", "Widget.layout"}));
}

TEST(Messaging, FreeSendAndSendSuperResolveLikeTheMembers) {
    auto button = std::make_shared<Button>();
    const runtime::SEL setTitle = runtime::Selector::named("setTitle:");

    runtime::send<void, const std::string&>(button.get(), setTitle, std::string("A"));
    EXPECT_EQ(button->title(), "[A]");
    runtime::sendSuper<void, const std::string&>(button.get(), Button::staticClass(), setTitle,
                                                 std::string("B"));
    EXPECT_EQ(button->title(), "B");

    runtime::send(button.get(), QV_SEL("setAlpha:"), 0.5);
    EXPECT_DOUBLE_EQ(button->alpha(), 0.5);
    EXPECT_EQ(runtime::send<std::string>(button.get(), QV_SEL("description")), "<QVButton>");
}

TEST(Messaging, UndeliverableMessagesDoNothingAndReturnAnEmptyResult) {
    auto widget = std::make_shared<Widget>();
    widget->setAlpha(0.75);
    widget->trace.clear();

    // Messages to nothing.
    EXPECT_EQ(Widget::kDescription.send(nullptr), "");
    runtime::send(nullptr, QV_SEL("setAlpha:"), 0.1);

    // A selector the class does not respond to.
    const runtime::SEL unknown = QV_SEL("frobnicate:");
    EXPECT_FALSE(widget->respondsToSelector(unknown));
    EXPECT_EQ(runtime::send<int>(widget.get(), unknown, 3), 0);
    EXPECT_EQ(runtime::send<int>(widget.get(), runtime::SEL()), 0);

    // A caller whose argument types differ from the method's: calling through would read a
    // double out of an int, so the message is dropped.
    runtime::send(widget.get(), QV_SEL("setAlpha:"), 1);
    EXPECT_DOUBLE_EQ(widget->alpha(), 0.75);
    // Naming the parameter type converts the argument instead.
    runtime::send<void, double>(widget.get(), QV_SEL("setAlpha:"), 1);
    EXPECT_DOUBLE_EQ(widget->alpha(), 1.0);
    // The same check guards a Message constant declared elsewhere with the wrong signature.
    static const runtime::Message<void(float)> wrongAlpha{"setAlpha:"};
    wrongAlpha.send(widget.get(), 0.5f);
    EXPECT_DOUBLE_EQ(widget->alpha(), 1.0);
    EXPECT_EQ(wrongAlpha.implementation(Widget::staticClass()), nullptr);
    EXPECT_NE(Widget::kSetAlpha.implementation(Widget::staticClass()), nullptr);

    // Super from the root class has nowhere to go.
    EXPECT_EQ(runtime::sendSuper<std::string>(widget.get(), runtime::Object::staticClass(),
                                              QV_SEL("description")),
              "");
    EXPECT_EQ(widget->trace, (Trace{"Widget.setAlpha"}));
}

TEST(Messaging, AddedMethodReachesInstancesThatAlreadyMissedIt) {
    // A fresh selector each run, so the test also passes when repeated in one process.
    static int run = 0;
    const std::string name = "doubled" + std::to_string(++run) + ":";
    const runtime::Message<int(int)> kDoubled{name.c_str()};
    auto slider = std::make_shared<Slider>();
    auto window = std::make_shared<Window>();

    // Both misses are cached; adding must invalidate them.
    EXPECT_EQ(kDoubled.send(slider.get(), 4), 0);
    EXPECT_EQ(kDoubled.send(window.get(), 4), 0);

    int (*doubled)(runtime::Object*, runtime::SEL, int) = [](runtime::Object*, runtime::SEL,
                                                             int v) { return 2 * v; };
    ASSERT_TRUE(runtime::addMethod(Widget::staticClass(), kDoubled.selector(), doubled));
    EXPECT_EQ(kDoubled.send(slider.get(), 4), 8);
    EXPECT_EQ(kDoubled.send(window.get(), 5), 10);

    // Adding is not replacing: a second add on the same class is refused.
    int (*tripled)(runtime::Object*, runtime::SEL, int) = [](runtime::Object*, runtime::SEL,
                                                             int v) { return 3 * v; };
    EXPECT_FALSE(runtime::addMethod(Widget::staticClass(), kDoubled.selector(), tripled));
    // An override with another signature is refused; one with the same is accepted.
    long (*wrong)(runtime::Object*, runtime::SEL, int) = [](runtime::Object*, runtime::SEL, int) {
        return 0L;
    };
    EXPECT_FALSE(runtime::addMethod(Slider::staticClass(), kDoubled.selector(), wrong));
    EXPECT_TRUE(runtime::addMethod(Slider::staticClass(), kDoubled.selector(), tripled));
    EXPECT_EQ(kDoubled.send(slider.get(), 4), 12);
    EXPECT_EQ(kDoubled.send(window.get(), 4), 8);
    EXPECT_FALSE(runtime::addMethod(nullptr, kDoubled.selector(), tripled));
}

TEST(Messaging, CacheKeepsAnsweringAfterGrowingPastItsFirstTable) {
    // Enough distinct selectors to force a class's cache through several larger tables while
    // earlier answers stay correct.
    auto widget = std::make_shared<Widget>();
    std::vector<runtime::SEL> misses;
    for (int i = 0; i < 100; ++i) {
        misses.push_back(runtime::Selector::named("missing" + std::to_string(i)));
        EXPECT_FALSE(widget->respondsToSelector(misses.back()));
    }
    for (runtime::SEL s : misses) EXPECT_FALSE(widget->respondsToSelector(s));
    widget->setBorderWidth(2);
    EXPECT_DOUBLE_EQ(widget->borderWidth(), 2);
    EXPECT_TRUE(widget->respondsToSelector(Widget::kSetBorderWidth.selector()));
}

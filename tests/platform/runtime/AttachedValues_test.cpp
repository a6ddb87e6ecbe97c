#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/runtime/Runtime.h"
#include "tests/platform/runtime/Widgets.h"

using namespace widgets;
using runtime::attachedValue;
using runtime::AttachPolicy;
using runtime::setAttachedValue;

namespace {

char kOverlayKey;
char kOtherKey;

struct SavedAlpha {
    double value;
};

// Sets another value on its owner while it is being released.
struct ReentrantValue {
    runtime::Object* owner;
    ~ReentrantValue() { setAttachedValue(owner, "left behind", std::make_shared<int>(1)); }
};

}  // namespace

TEST(AttachedValues, StrongValueLivesExactlyAsLongAsItsOwner) {
    auto host = std::make_shared<Widget>();
    auto overlay = std::make_shared<Slider>();
    std::weak_ptr<Slider> overlayAlive = overlay;
    setAttachedValue(host.get(), &kOverlayKey, std::move(overlay));

    EXPECT_FALSE(overlayAlive.expired());
    EXPECT_EQ(attachedValue<Slider>(host.get(), &kOverlayKey), overlayAlive.lock());
    host.reset();
    EXPECT_TRUE(overlayAlive.expired());
}

TEST(AttachedValues, WeakValueIsNotRetainedAndReadsNullOnceGone) {
    auto host = std::make_shared<Widget>();
    auto label = std::make_shared<Button>();
    setAttachedValue(host.get(), "sourceLabel", label, AttachPolicy::Weak);

    EXPECT_EQ(label.use_count(), 1);
    EXPECT_EQ(attachedValue<Button>(host.get(), "sourceLabel"), label);
    label.reset();
    EXPECT_EQ(attachedValue<Button>(host.get(), "sourceLabel"), nullptr);
    EXPECT_EQ(attachedValue<runtime::Object>(host.get(), "sourceLabel"), nullptr);
}

TEST(AttachedValues, ReplacingOrSettingNullReleasesTheOldValue) {
    auto host = std::make_shared<Widget>();
    auto first = std::make_shared<SavedAlpha>(SavedAlpha{0.5});
    std::weak_ptr<SavedAlpha> firstAlive = first;
    setAttachedValue(host.get(), &kOverlayKey, std::move(first));
    setAttachedValue(host.get(), &kOverlayKey, std::make_shared<SavedAlpha>(SavedAlpha{0.8}));
    EXPECT_TRUE(firstAlive.expired());
    EXPECT_DOUBLE_EQ(attachedValue<SavedAlpha>(host.get(), &kOverlayKey)->value, 0.8);

    std::weak_ptr<SavedAlpha> secondAlive = attachedValue<SavedAlpha>(host.get(), &kOverlayKey);
    setAttachedValue(host.get(), &kOverlayKey, nullptr);
    EXPECT_TRUE(secondAlive.expired());
    EXPECT_EQ(attachedValue<SavedAlpha>(host.get(), &kOverlayKey), nullptr);
    // Removing what is not there is harmless.
    setAttachedValue(host.get(), &kOverlayKey, nullptr);
    setAttachedValue(host.get(), "never set", std::shared_ptr<SavedAlpha>());
}

TEST(AttachedValues, KeysAndTypesKeepValuesApart) {
    auto host = std::make_shared<Widget>();
    setAttachedValue(host.get(), &kOverlayKey, std::make_shared<int>(1));
    setAttachedValue(host.get(), &kOtherKey, std::make_shared<int>(2));
    setAttachedValue(host.get(), "overlay", std::make_shared<int>(3));

    EXPECT_EQ(*attachedValue<int>(host.get(), &kOverlayKey), 1);
    EXPECT_EQ(*attachedValue<int>(host.get(), &kOtherKey), 2);
    // A name reads the same whether it comes as a literal, a std::string or a string_view.
    EXPECT_EQ(*attachedValue<int>(host.get(), std::string("overlay")), 3);
    EXPECT_EQ(*attachedValue<int>(host.get(), std::string_view("overlay")), 3);
    // Values belong to their owner only.
    auto other = std::make_shared<Widget>();
    EXPECT_EQ(attachedValue<int>(other.get(), "overlay"), nullptr);

    // Reading as another type answers nullptr rather than reinterpreting the value.
    EXPECT_EQ(attachedValue<double>(host.get(), "overlay"), nullptr);
    EXPECT_EQ(attachedValue<Widget>(host.get(), "overlay"), nullptr);
    // Objects read as any class they are a kind of, and as nothing else.
    setAttachedValue(host.get(), "view", std::make_shared<FancyButton>());
    EXPECT_NE(attachedValue<Button>(host.get(), "view"), nullptr);
    EXPECT_NE(attachedValue<runtime::Object>(host.get(), "view"), nullptr);
    EXPECT_EQ(attachedValue<Slider>(host.get(), "view"), nullptr);
    EXPECT_EQ(attachedValue<int>(host.get(), "view"), nullptr);

    // Null owners and the null identity key hold nothing.
    setAttachedValue(nullptr, "overlay", std::make_shared<int>(4));
    EXPECT_EQ(attachedValue<int>(nullptr, "overlay"), nullptr);
    setAttachedValue(host.get(), static_cast<const void*>(nullptr), std::make_shared<int>(5));
    EXPECT_EQ(attachedValue<int>(host.get(), static_cast<const void*>(nullptr)), nullptr);
}

// Regression: a displaced value released while the owner's lock was held deadlocked when its
// destructor touched attached values again.
TEST(AttachedValues, ReleasedValueMayTouchAttachedValuesFromItsDestructor) {
    auto host = std::make_shared<Widget>();
    setAttachedValue(host.get(), "reentrant",
                     std::make_shared<ReentrantValue>(ReentrantValue{host.get()}));
    setAttachedValue(host.get(), "reentrant", nullptr);
    EXPECT_EQ(*attachedValue<int>(host.get(), "left behind"), 1);

    // The same while the owner itself dies.
    auto dying = std::make_shared<Widget>();
    setAttachedValue(dying.get(), "reentrant",
                     std::make_shared<ReentrantValue>(ReentrantValue{dying.get()}));
    dying.reset();
}

TEST(WeakReferences, ClearWhenTheObjectDiesAndNeverThrow) {
    auto widget = std::make_shared<Slider>();
    std::weak_ptr<Slider> weak = runtime::weakRef(widget.get());
    runtime::Object* raw = widget.get();
    EXPECT_EQ(runtime::retained(raw), widget);
    EXPECT_EQ(weak.lock(), widget);
    widget.reset();
    EXPECT_TRUE(weak.expired());

    // An object not owned by a shared_ptr has no references to hand out.
    Slider onStack;
    EXPECT_EQ(runtime::retained(&onStack), nullptr);
    EXPECT_TRUE(runtime::weakRef(&onStack).expired());
    EXPECT_EQ(runtime::retained<Slider>(nullptr), nullptr);
}

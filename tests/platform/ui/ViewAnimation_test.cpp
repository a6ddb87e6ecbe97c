#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Layer.h"
#include "platform/ui/PresentedGeometry.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

using base::Point;
using base::Rect;
using ui::AnimationOptions;
using ui::View;

namespace {

Point presentedPosition(const View& v) {
    auto p = v.layer()->presentationLayer();
    return p ? p->position() : v.layer()->position();
}

}  // namespace

TEST_F(UiTest, ModelChangesAtOnceWhileThePresentationFollowsTheCurve) {
    auto v = View::create(Rect{0, 0, 100, 100});
    std::vector<bool> completions;
    View::animate(
        1.0, 0, AnimationOptions::CurveLinear,
        [&] {
            v->setCenter({150, 50});
            v->setAlpha(0);
        },
        [&](bool finished) { completions.push_back(finished); });

    EXPECT_EQ(v->center(), (Point{150, 50}));
    EXPECT_EQ(v->alpha(), 0.0);
    ASSERT_NE(v->layer()->presentationLayer(), nullptr);
    EXPECT_EQ(presentedPosition(*v), (Point{50, 50}));

    clock.advance(0.25);
    auto p = v->layer()->presentationLayer();
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(p->position().x, 75, 1e-9);
    EXPECT_NEAR(p->opacity(), 0.75, 1e-6);
    EXPECT_TRUE(&p->modelLayer() == v->layer().get());

    runUntilSeconds(0.99);
    EXPECT_TRUE(completions.empty());
    runUntilSeconds(1.0);
    EXPECT_EQ(completions, (std::vector<bool>{true}));
    EXPECT_EQ(v->layer()->presentationLayer(), nullptr);
    EXPECT_TRUE(v->layer()->animationKeys().empty());
}

TEST_F(UiTest, EaseInOutIsSymmetricAndSlowAtTheEnds) {
    auto v = View::create(Rect{0, 0, 100, 100});
    View::animate(1.0, [&] { v->setCenter({150, 50}); });
    clock.advance(0.1);
    const double early = presentedPosition(*v).x - 50;
    clock.advance(0.4);
    EXPECT_NEAR(presentedPosition(*v).x, 100, 1e-6);
    clock.advance(0.4);
    const double late = 150 - presentedPosition(*v).x;
    EXPECT_LT(early, 10);
    EXPECT_NEAR(early, late, 1e-6);
    runUntilSeconds(1.0);
}

TEST_F(UiTest, DelayedAnimationShowsTheOldValueUntilItBegins) {
    auto v = View::create(Rect{0, 0, 10, 10});
    View::animate(0.5, 0.5, AnimationOptions::CurveLinear, [&] { v->setAlpha(0.2); });
    clock.advance(0.3);
    ASSERT_NE(v->layer()->presentationLayer(), nullptr);
    EXPECT_FLOAT_EQ(v->layer()->presentationLayer()->opacity(), 1.0f);
    clock.advance(0.45);  // half way through
    EXPECT_NEAR(v->layer()->presentationLayer()->opacity(), 0.6, 1e-6);
    runUntilSeconds(1.0);
    EXPECT_EQ(v->layer()->presentationLayer(), nullptr);
}

TEST_F(UiTest, InterruptingAnimationEitherJumpsOrStartsFromWhatIsOnScreen) {
    auto v = View::create(Rect{0, 0, 100, 100});
    std::vector<std::string> log;
    const auto note = [&](const char* name) {
        return [&log, name](bool finished) {
            log.push_back(std::string(name) + (finished ? ":finished" : ":cut"));
        };
    };
    View::animate(
        1.0, 0, AnimationOptions::CurveLinear,
        [&] {
            v->setCenter({150, 50});
        },
        note("first"));
    clock.advance(0.5);  // on screen: x = 100

    View::animate(
        1.0, 0, AnimationOptions::CurveLinear | AnimationOptions::BeginFromCurrentState,
        [&] {
            v->setCenter({200, 50});
        },
        note("second"));
    EXPECT_NEAR(presentedPosition(*v).x, 100, 1e-9);
    clock.advance(0.5);
    EXPECT_NEAR(presentedPosition(*v).x, 150, 1e-9);

    // Without the option the new animation starts from the previous model value.
    View::animate(
        1.0, 0, AnimationOptions::CurveLinear,
        [&] {
            v->setCenter({0, 50});
        },
        note("third"));
    EXPECT_NEAR(presentedPosition(*v).x, 200, 1e-9);

    runUntilSeconds(3.0);
    EXPECT_EQ(log, (std::vector<std::string>{"first:cut", "second:cut", "third:finished"}));
}

TEST_F(UiTest, OneBlockChangingAPropertyTwiceAnimatesOnceToTheLastValue) {
    auto v = View::create(Rect{0, 0, 100, 100});
    int calls = 0;
    bool result = false;
    View::animate(
        1.0, 0, AnimationOptions::CurveLinear,
        [&] {
            v->setFrame(Rect{100, 0, 100, 100});  // moves position and keeps bounds
            v->setCenter({250, 50});
        },
        [&](bool finished) {
            ++calls;
            result = finished;
        });
    EXPECT_EQ(v->layer()->animationKeys(), (std::vector<std::string>{"position"}));
    clock.advance(0.5);
    EXPECT_NEAR(presentedPosition(*v).x, 150, 1e-9);
    runUntilSeconds(2);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(result);
}

TEST_F(UiTest, BlocksThatAnimateNothingStillCompleteOnTheNextTurn) {
    auto v = View::create(Rect{0, 0, 10, 10});
    int completed = 0;
    View::animate(
        0.3, [&] {}, [&](bool finished) { completed += finished ? 1 : 100; });
    View::animate(
        0, [&] { v->setAlpha(0.5); }, [&](bool finished) { completed += finished; });
    View::animate(0.3, [&] { View::performWithoutAnimation([&] { v->setAlpha(0.2); }); });
    EXPECT_EQ(v->layer()->presentationLayer(), nullptr);
    EXPECT_EQ(v->alpha(), 0.2);
    EXPECT_EQ(completed, 0);
    dispatch::RunLoop::main().runOnce();
    EXPECT_EQ(completed, 2);
}

TEST_F(UiTest, ConversionMidAnimationFollowsPresentationLayersUpTheChain) {
    auto window = ui::Window::create(Rect{0, 0, 400, 800});
    auto outer = View::create(Rect{0, 0, 200, 200});
    auto inner = View::create(Rect{10, 10, 50, 50});
    window->addSubview(outer);
    outer->addSubview(inner);

    // The outer view slides down 100 points; the inner one grows to twice its size.
    View::animate(1.0, 0, AnimationOptions::CurveLinear, [&] {
        outer->setCenter({100, 200});
        inner->setTransform(base::AffineTransform::scale(2, 2));
    });
    clock.advance(0.5);

    // The model says where things will be...
    EXPECT_EQ(inner->convertRect(inner->bounds(), nullptr), (Rect{-15, 85, 100, 100}));
    // ...what is on screen is half way: moved 50, scaled 1.5 about the inner centre (35, 35).
    const Rect shown = ui::presentedRectInWindow(*inner);
    EXPECT_NEAR(shown.minX(), -2.5, 1e-9);
    EXPECT_NEAR(shown.minY(), 47.5, 1e-9);
    EXPECT_NEAR(shown.width(), 75, 1e-9);

    // The same, one layer at a time as a caller would do it by hand. Snapshots taken at one
    // instant can be compared by identity.
    auto innerShown = inner->layer()->presentationLayer();
    auto outerShown = outer->layer()->presentationLayer();
    ASSERT_TRUE(innerShown && outerShown);
    EXPECT_EQ(outer->layer()->presentationLayer(), outerShown);
    EXPECT_EQ(innerShown->superlayer()->presentationLayer(), outerShown);
    EXPECT_EQ(innerShown->superlayer(), outer->layer());
    const Rect inOuter = innerShown->convertRect(innerShown->bounds(), outerShown.get());
    const Rect inWindow = outerShown->convertRect(inOuter, window->layer().get());
    EXPECT_NEAR(inWindow.minY(), 47.5, 1e-9);

    // A model change, or time moving on, makes a new snapshot.
    outer->layer()->setCornerRadius(4);
    EXPECT_NE(outer->layer()->presentationLayer(), outerShown);
    clock.advance(0.1);
    EXPECT_NE(inner->layer()->presentationLayer(), innerShown);

    runUntilSeconds(1.0);
    EXPECT_EQ(ui::presentedRectInWindow(*inner), (Rect{-15, 85, 100, 100}));
}

TEST_F(UiTest, ExplicitLayerAnimationsReportTheirStop) {
    auto layer = ui::Layer::create();
    std::vector<bool> stops;
    ui::BasicAnimation fade;
    fade.keyPath = "opacity";
    fade.fromValue = 0.0;
    fade.toValue = 1.0;
    fade.duration = 0.5;
    fade.didStop = [&](bool finished) { stops.push_back(finished); };
    layer->addAnimation(fade, "fade");
    ASSERT_NE(layer->animationForKey("fade"), nullptr);
    clock.advance(0.25);
    EXPECT_NEAR(layer->presentationLayer()->opacity(), 0.5, 1e-6);

    layer->addAnimation(fade, "fade");  // replaces the running one
    layer->removeAnimation("fade");
    ui::BasicAnimation bogus = fade;
    bogus.keyPath = "wobble";
    layer->addAnimation(bogus);
    dispatch::RunLoop::main().runOnce();
    EXPECT_EQ(stops, (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(layer->hasRunningAnimations());

    ui::BasicAnimation held = fade;
    held.removedOnCompletion = false;
    layer->addAnimation(held, "held");
    runUntilSeconds(1.0);
    EXPECT_EQ(stops.back(), true);
    ASSERT_NE(layer->presentationLayer(), nullptr);  // holds its final value
    EXPECT_FLOAT_EQ(layer->presentationLayer()->opacity(), 1.0f);
}

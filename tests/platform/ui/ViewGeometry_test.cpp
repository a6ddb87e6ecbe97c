#include <gtest/gtest.h>

#include <cmath>

#include "UiTestSupport.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

using base::AffineTransform;
using base::Point;
using base::Rect;
using ui::View;
using ui::Window;

namespace {

void expectRectNear(const Rect& actual, const Rect& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.minX(), expected.minX(), tolerance);
    EXPECT_NEAR(actual.minY(), expected.minY(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

}  // namespace

TEST_F(UiTest, FrameBoundsAndCenterStayConsistentUnderTransforms) {
    auto v = View::create(Rect{10, 20, 100, 50});
    EXPECT_EQ(v->center(), (Point{60, 45}));
    EXPECT_EQ(v->bounds(), (Rect{0, 0, 100, 50}));

    // A transform turns the view about its center: the frame is the bounding box, the bounds
    // and center do not move.
    v->setTransform(AffineTransform::scale(2, 2));
    expectRectNear(v->frame(), Rect{-40, -5, 200, 100});
    EXPECT_EQ(v->bounds().size, (base::Size{100, 50}));
    // Under a scale, setting the frame sizes the bounds so that the box comes out as asked.
    v->setFrame(Rect{0, 0, 100, 100});
    EXPECT_EQ(v->bounds().size, (base::Size{50, 50}));
    expectRectNear(v->frame(), Rect{0, 0, 100, 100});

    // Under a rotation only the position follows the frame; the box keeps its size.
    v->setTransform(AffineTransform::rotation(M_PI / 4));
    const Rect box = v->frame();
    v->setFrame(Rect{300, 300, 1, 1});
    expectRectNear(v->frame(), Rect{300, 300, box.width(), box.height()});

    // Non-finite input is ignored.
    const Rect before = v->frame();
    v->setFrame(Rect{NAN, 0, 10, 10});
    v->setCenter({INFINITY, 0});
    EXPECT_EQ(v->frame(), before);
}

TEST_F(UiTest, ConversionsBetweenNestedViewsFollowTransformsAndBoundsOrigins) {
    auto window = Window::create(Rect{0, 100, 400, 800});
    auto outer = View::create(Rect{50, 50, 200, 200});
    auto inner = View::create(Rect{10, 10, 100, 100});
    window->addSubview(outer);
    outer->addSubview(inner);

    // A scrolled superview (bounds origin) shifts what lies inside it.
    outer->setBounds(Rect{0, 30, 200, 200});
    EXPECT_EQ(inner->convertPoint({0, 0}, nullptr), (Point{60, 30}));
    EXPECT_EQ(inner->convertPoint({0, 0}, window.get()), (Point{60, 30}));

    // Scale the outer view by 2 about its center (150, 150 in the window).
    outer->setTransform(AffineTransform::scale(2, 2));
    // inner's origin is (10, -20) from outer's bounds centre (100, 130) → (-90, -120) × 2.
    const Point p = inner->convertPoint({0, 0}, window.get());
    EXPECT_NEAR(p.x, 150 - 180, 1e-9);
    EXPECT_NEAR(p.y, 150 - 240, 1e-9);
    // A rect converted there and back comes home.
    const Rect r{3, 4, 5, 6};
    expectRectNear(window->convertRect(inner->convertRect(r, window.get()), inner.get()), r);
    expectRectNear(inner->convertRectFrom(inner->convertRect(r, nullptr), nullptr), r);

    // The screen's space adds the window's place on the screen.
    const Point onScreen =
        inner->convertPointToCoordinateSpace({0, 0}, ui::Screen::main()->coordinateSpace());
    EXPECT_NEAR(onScreen.x, p.x, 1e-9);
    EXPECT_NEAR(onScreen.y, p.y + 100, 1e-9);
}

TEST_F(UiTest, ViewsInDifferentWindowsConvertThroughTheScreen) {
    auto top = Window::create(Rect{0, 0, 400, 400});
    auto bottom = Window::create(Rect{0, 400, 400, 400});
    auto a = View::create(Rect{10, 10, 20, 20});
    auto b = View::create(Rect{30, 30, 20, 20});
    top->addSubview(a);
    bottom->addSubview(b);
    EXPECT_EQ(a->convertPoint({0, 0}, b.get()), (Point{-20, -420}));
    EXPECT_EQ(b->convertPointFrom({0, 0}, a.get()), (Point{-20, -420}));
}

TEST_F(UiTest, AutoresizingDistributesSizeChangesOverFlexibleParts) {
    auto parent = View::create(Rect{0, 0, 100, 100});
    auto fill = View::create(Rect{10, 10, 80, 80});
    fill->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                              ui::AutoresizingMask::FlexibleHeight);
    auto pinnedRight = View::create(Rect{70, 0, 20, 20});
    pinnedRight->setAutoresizingMask(ui::AutoresizingMask::FlexibleLeftMargin);
    auto centred = View::create(Rect{40, 40, 20, 20});
    centred->setAutoresizingMask(ui::AutoresizingMask::FlexibleLeftMargin |
                                 ui::AutoresizingMask::FlexibleRightMargin);
    auto fixed = View::create(Rect{5, 5, 10, 10});
    for (auto& v : {fill, pinnedRight, centred, fixed}) parent->addSubview(v);

    parent->setFrame(Rect{0, 0, 200, 150});
    EXPECT_EQ(fill->frame(), (Rect{10, 10, 180, 130}));
    EXPECT_EQ(pinnedRight->frame(), (Rect{170, 0, 20, 20}));
    EXPECT_EQ(centred->frame(), (Rect{90, 40, 20, 20}));
    EXPECT_EQ(fixed->frame(), (Rect{5, 5, 10, 10}));
    EXPECT_TRUE(parent->needsLayout());
}

TEST_F(UiTest, HiddenAlphaAndLayerOpacityAreOneStateSeenFromBothSides) {
    auto v = View::create(Rect{0, 0, 10, 10});
    v->setAlpha(0.3);
    EXPECT_EQ(v->alpha(), 0.3);  // the view keeps the precision it was given
    EXPECT_FLOAT_EQ(v->layer()->opacity(), 0.3f);

    v->layer()->setOpacity(0.01f);
    EXPECT_EQ(v->alpha(), double(0.01f));
    EXPECT_FALSE(v->alpha() > 0.01);  // a float 0.01 lies just below the double 0.01

    v->setAlpha(1.7);
    EXPECT_EQ(v->alpha(), 1.0);
    v->setAlpha(-1);
    EXPECT_EQ(v->alpha(), 0.0);
    v->setAlpha(NAN);
    EXPECT_EQ(v->alpha(), 0.0);

    v->setHidden(true);
    EXPECT_TRUE(v->layer()->isHidden());
    v->layer()->setHidden(false);
    EXPECT_FALSE(v->isHidden());
    // Hiding and alpha are independent: hiding does not touch alpha.
    v->setAlpha(0.5);
    v->setHidden(true);
    EXPECT_EQ(v->alpha(), 0.5);

    // Sublayers of a view's layer are its subviews' layers: opacity set down the layer tree
    // reaches the subviews' alpha.
    auto child = View::create();
    v->addSubview(child);
    for (const auto& sub : v->layer()->sublayers()) sub->setOpacity(0);
    EXPECT_EQ(child->alpha(), 0.0);
}

TEST_F(UiTest, SettersThatChangeNothingAreNotObserved) {
    auto v = View::create(Rect{0, 0, 10, 10});
    std::vector<std::string> seen;
    auto observer =
        ui::BlockObserver::create([&](const std::string& key, runtime::Object*,
                                      const ui::ObservedChange&, void*) { seen.push_back(key); });
    for (const char* key : {"frame", "bounds", "center", "alpha", "hidden"}) {
        v->addObserver(observer, key);
    }
    v->setFrame(Rect{0, 0, 10, 10});
    v->setAlpha(1);
    v->setHidden(false);
    EXPECT_TRUE(seen.empty());
    v->setCenter({6, 5});
    EXPECT_EQ(seen, (std::vector<std::string>{"center", "frame"}));
}

TEST_F(UiTest, TraitsComeFromTheScreenWithTheNearestOverrideAndChangesAreHeard) {
    auto window = Window::create(Rect{0, 0, 10, 10});
    auto a = TraceView::make("a");
    auto b = TraceView::make("b");
    window->addSubview(a);
    a->addSubview(b);
    a->setBackgroundColor(base::Color::dynamic(base::Color::white(1), base::Color::black()));
    EXPECT_FALSE(b->traitCollection().isDark());

    traceLog().clear();
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"a:dark", "b:dark"}));
    EXPECT_EQ(a->layer()->backgroundColor(), base::Color::black());

    // An override stops the change below it.
    traceLog().clear();
    a->setOverrideUserInterfaceStyle(ui::UserInterfaceStyle::Light);
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Light);
    EXPECT_EQ(traceLog(), (std::vector<std::string>{"a:light", "b:light"}));
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    EXPECT_EQ(traceLog().size(), 2u);
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Light);

    // Tint is inherited until a view sets its own.
    const base::Color red(1, 0, 0);
    window->setTintColor(red);
    EXPECT_EQ(b->tintColor(), red);
    b->setTintColor(base::Color(0, 1, 0));
    window->setTintColor(std::nullopt);
    EXPECT_EQ(a->tintColor(), base::Color(0, 122.0 / 255.0, 1.0));
    EXPECT_EQ(b->tintColor(), base::Color(0, 1, 0));
}

TEST_F(UiTest, DeviceProfilesConfigureTheMainScreenInPlace) {
    auto screen = ui::Screen::main();
    EXPECT_EQ(screen->bounds(), (Rect{0, 0, 393, 852}));
    EXPECT_EQ(screen->scale(), 3.0);
    EXPECT_EQ(screen->maximumFramesPerSecond(), 120);

    ui::Screen::setMainProfile(ui::DeviceProfile::tablet(), false);
    EXPECT_EQ(ui::Screen::main(), screen);
    EXPECT_EQ(screen->userInterfaceIdiom(), ui::UserInterfaceIdiom::Pad);
    EXPECT_EQ(View::create()->traitCollection().userInterfaceIdiom, ui::UserInterfaceIdiom::Pad);

    const auto legacy = ui::DeviceProfile::named("legacy-phone");
    ASSERT_TRUE(legacy.has_value());
    EXPECT_LT(legacy->systemVersion, (base::OperatingSystemVersion{16, 0, 0}));
    EXPECT_EQ(ui::DeviceProfile::named("phone-60hz")->maximumFramesPerSecond, 60);
    EXPECT_FALSE(ui::DeviceProfile::named("watch").has_value());

    // A scene's window covers its screen.
    auto scene = ui::WindowScene::create();
    auto window = Window::create(scene);
    EXPECT_EQ(window->frame(), screen->bounds());
    EXPECT_TRUE(window->isHidden());
}

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/FeedbackGenerator.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/TapGestureRecognizer.h"

using base::Rect;

TEST_F(ControlsTest, TemplateImagesFollowTheTintAndTheAppearance) {
    auto image = ui::systemImage("chevron.right", 17);
    ASSERT_TRUE(image);
    auto view = ui::ImageView::create(image);
    window->addSubview(view);
    view->setTintColor(base::Color::dynamic(base::Color(1, 0, 0), base::Color(0, 0, 1)));
    const auto strongest = [&] {
        const graphics::ImageRef& shown = view->layer()->contents();
        graphics::Pixel best;
        for (int y = 0; y < shown->pixelHeight(); ++y) {
            for (int x = 0; x < shown->pixelWidth(); ++x) {
                if (shown->pixelAt(x, y).a > best.a) best = shown->pixelAt(x, y);
            }
        }
        return best;
    };
    EXPECT_EQ(strongest().r, 255);
    EXPECT_EQ(strongest().b, 0);
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    EXPECT_EQ(strongest().r, 0);
    EXPECT_EQ(strongest().b, 255);
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Light);
}

TEST_F(ControlsTest, ImpactsAndOpenedURLsAreRecorded) {
    ui::ImpactFeedbackGenerator::clearRecordedImpacts();
    auto light = ui::ImpactFeedbackGenerator::create(ui::ImpactFeedbackStyle::Light);
    light->prepare();
    runUntilSeconds(0.25);
    light->impactOccurred();
    ui::ImpactFeedbackGenerator(ui::ImpactFeedbackStyle::Medium).impactOccurredWithIntensity(7);
    const auto& impacts = ui::ImpactFeedbackGenerator::recordedImpacts();
    ASSERT_EQ(impacts.size(), 2u);
    EXPECT_EQ(impacts[0].style, ui::ImpactFeedbackStyle::Light);
    EXPECT_DOUBLE_EQ(impacts[0].time, dispatch::secondsFromNanos(T0) + 0.25);
    EXPECT_DOUBLE_EQ(impacts[1].intensity, 1.0);

    auto app = ui::Application::shared();
    const std::size_t before = app->requestedURLs().size();
    bool heard = false, opened = true;
    app->openURL("https://example.org/repo", {}, [&](bool ok) {
        heard = true;
        opened = ok;
    });
    EXPECT_FALSE(heard) << "the completion runs on a later turn of the main queue";
    runUntilSeconds(0.5);
    EXPECT_TRUE(heard);
    EXPECT_FALSE(opened) << "nothing here opens web pages";
    EXPECT_EQ(app->requestedURLs().size(), before + 1);
}

TEST_F(ControlsTest, TapRecognizerFiresForATapButNotForADrag) {
    auto label = ui::View::create(Rect{20, 600, 55, 30});
    window->addSubview(label);
    auto counter = std::make_shared<ActionCounter>();
    auto tap = ui::TapGestureRecognizer::create(counter, ActionCounter::kChanged.selector());
    label->addGestureRecognizer(tap);
    ASSERT_TRUE(finger.tap({40, 610}));
    EXPECT_EQ(counter->changed, 1);
    EXPECT_EQ(counter->lastSender, tap.get());
    EXPECT_EQ(tap->locationInView(label.get()), (base::Point{20, 10}));

    ASSERT_TRUE(finger.touchDown({40, 610}));
    finger.touchMove({40, 640});
    finger.touchUp({40, 640});
    EXPECT_EQ(counter->changed, 1) << "a drag is no tap";
    tap->setEnabled(false);
    ASSERT_TRUE(finger.tap({40, 610}));
    EXPECT_EQ(counter->changed, 1);
}

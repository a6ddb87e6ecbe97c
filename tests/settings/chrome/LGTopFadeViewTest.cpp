#include <gtest/gtest.h>

#include "ChromeTestFixture.h"
#include "platform/ui/SystemColors.h"
#include "settings/chrome/LGTopFadeView.h"

namespace {

std::vector<base::Color> expectedColors(bool dark) {
    const base::Color background = ui::colors::systemBackground().resolved(dark);
    return {background.withAlpha(0.98), background.withAlpha(0.55), background.withAlpha(0.0)};
}

}  // namespace

using TopFadeTest = ChromeTest;

TEST_F(TopFadeTest, AVerticalGradientOfTheBackgroundThatTakesNoTouches) {
    const auto fade = LGTopFadeView::create({0, 0, 393, 100});
    EXPECT_FALSE(fade->isUserInteractionEnabled());
    EXPECT_TRUE(fade->backgroundColor().isClear());
    const auto& gradient = fade->gradientLayer();
    ASSERT_TRUE(gradient);
    EXPECT_EQ(gradient->superlayer(), fade->layer());
    EXPECT_EQ(gradient->startPoint(), (base::Point{0.5, 0}));
    EXPECT_EQ(gradient->endPoint(), (base::Point{0.5, 1}));
    EXPECT_EQ(gradient->locations(), (std::vector<double>{0, 0.45, 1}));
    EXPECT_EQ(gradient->colors(), expectedColors(false));
    EXPECT_EQ(gradient->frame(), (base::Rect{0, 0, 393, 100}));

    // The gradient follows the view's size on layout.
    fade->setFrame({0, 0, 320, 60});
    fade->layoutIfNeeded();
    EXPECT_EQ(gradient->frame(), (base::Rect{0, 0, 320, 60}));

    // Code that knows the class only by name gets one too.
    const runtime::Class* cls = runtime::Class::named("LGTopFadeView");
    ASSERT_NE(cls, nullptr);
    const auto made = cls->createInstance();
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->isKindOfClass("UIView"));
    EXPECT_EQ(std::static_pointer_cast<LGTopFadeView>(made)->gradientLayer()->colors().size(), 3u);
}

TEST_F(TopFadeTest, ColoursFollowTheAppearanceOfTheWindowItIsShownIn) {
    const auto fade = LGTopFadeView::create({0, 0, 393, 100});
    window->addSubview(fade);
    EXPECT_EQ(fade->gradientLayer()->colors(), expectedColors(false));

    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    EXPECT_EQ(fade->gradientLayer()->colors(), expectedColors(true));

    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Light);
    EXPECT_EQ(fade->gradientLayer()->colors(), expectedColors(false));

    // An override on the way up counts as the appearance too, also for a view made elsewhere
    // and moved in afterwards.
    const auto darkHost = ui::View::create({0, 0, 393, 200});
    darkHost->setOverrideUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    window->addSubview(darkHost);
    darkHost->addSubview(fade);
    EXPECT_EQ(fade->gradientLayer()->colors(), expectedColors(true));
}

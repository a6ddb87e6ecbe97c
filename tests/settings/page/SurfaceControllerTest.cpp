#include <algorithm>
#include <cmath>

#include "SurfacePageFixture.h"
#include "platform/prefs/UserDefaults.h"
#include "platform/settings/ListController.h"
#include "platform/text/Locale.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"
#include "settings/page/LGPageSupport.h"
#include "settings/page/LGValueEntry.h"
#include "settings/page/QVQuorvaneRootListController.h"
#include "tweak/LGClockPreferences.h"

namespace {

int panelRowCount(const ui::View& block) {
    for (const auto& child : block.subviews()) {
        if (auto rows = std::dynamic_pointer_cast<ui::StackView>(child)) {
            return static_cast<int>(rows->arrangedSubviews().size());
        }
    }
    return -1;
}

}  // namespace

TEST_F(SurfacePageTest, BlocksFollowTheSectionsOfTheItemList) {
    // A gap section splits rows into two panels and becomes a 9-point gap.
    show({LGSwitchItem("A", "甲", "", true), LGSectionItem("", ""),
          LGSliderItem("B", "乙", "", 1, 1, 0, 2), LGSliderItem("C", "丙", "", 1, 1, 0, 2)});
    auto blocks = page->contentStack()->arrangedSubviews();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(panelRowCount(*blocks[0]), 1);
    EXPECT_EQ(panelRowCount(*blocks[1]), -1) << "the gap holds no rows";
    EXPECT_DOUBLE_EQ(blocks[1]->frame().size.height, 9);
    EXPECT_EQ(panelRowCount(*blocks[2]), 2);
    EXPECT_EQ(page->jumpScrollView(), nullptr);

    // A subtitle alone makes a header, which is no jump target; two titled sections make a bar
    // with one chip each; small captions never count.
    show({LGSectionItem("", "只有副标题"), LGSwitchItem("A", "甲", "", true),
          LGSectionItem("第一", ""), LGSwitchItem("B", "乙", "", true), LGSmallSectionItem("小"),
          LGSectionItem("第二", ""), LGSwitchItem("C", "丙", "", true)});
    ASSERT_NE(page->jumpStack(), nullptr);
    EXPECT_EQ(page->jumpStack()->arrangedSubviews().size(), 2u);
    EXPECT_EQ(page->sectionViews().size(), 2u);
    EXPECT_EQ(page->sectionViews().count("第一"), 1u);
    // Bar, subtitle header, panel, header, panel, small header (its group is empty, so no
    // panel), header, panel.
    EXPECT_EQ(page->contentStack()->arrangedSubviews().size(), 8u);

    show({LGSectionItem("唯一", ""), LGSwitchItem("A", "甲", "", true)});
    EXPECT_EQ(page->jumpScrollView(), nullptr) << "one titled section gives no bar";
}

TEST_F(SurfacePageTest, QuickJumpScrollsToTheSectionHeader) {
    std::vector<LGSettingsItem> items;
    for (const char* title : {"一", "二", "三"}) {
        items.push_back(LGSectionItem(title, ""));
        for (int i = 0; i < 8; ++i) {
            items.push_back(
                LGSliderItem(std::string(title) + std::to_string(i), "行", "", 0, 1, 0, 9));
        }
    }
    show(items);
    auto chips = page->jumpStack()->arrangedSubviews();
    ASSERT_EQ(chips.size(), 3u);
    tap(*chips[2]);
    ui::testing::runFrames(60);
    const auto header = page->sectionViews().at("三").lock();
    const double top =
        page->contentStack()->convertRect(header->frame(), page->scrollView().get()).origin.y;
    EXPECT_NEAR(page->scrollView()->contentOffset().y, top - 12, 0.5);
    page->jumpToSectionNamed("没有");  // no such header: nothing moves
    EXPECT_NEAR(page->scrollView()->contentOffset().y, top - 12, 0.5);
}

TEST_F(SurfacePageTest, ClockSwitchDimsAndLocksTheRowsThatFollowIt) {
    ui::Screen::setMainProfile(ui::DeviceProfile::legacyPhone());
    resetSupport();
    showLockscreenPage();
    const auto clockSwitch = inRow<ui::Switch>(kLGClockEnabledKey);
    ASSERT_TRUE(clockSwitch && clockSwitch->isOn());
    tap(*clockSwitch);
    ASSERT_FALSE(clockSwitch->isOn());
    runUntilSeconds(1);

    ASSERT_NE(stored(kLGClockEnabledKey), nullptr);
    EXPECT_FALSE(stored(kLGClockEnabledKey)->boolValue());
    for (const char* key : {kLGClockHideStockTimeKey, kLGClockBezelWidthKey,
                            kLGClockTintOverrideModeKey, kLGClockLegacyFontStyleKey}) {
        EXPECT_DOUBLE_EQ(row(key)->alpha(), 0.42) << key;
        EXPECT_FALSE(row(key)->isUserInteractionEnabled()) << key;
    }
    // The legacy sliders carry a visibility rule only, and the master switch none.
    for (const char* key : {kLGClockLegacyFontWeightKey, kLGClockLegacySizeBoostKey,
                            kLGClockLegacyEmboldenKey, kLGPrefsEnabledKey}) {
        EXPECT_DOUBLE_EQ(row(key)->alpha(), 1.0) << key;
    }

    // A page built while the clock is off starts dimmed (regression: the rebuild's visibility
    // pass gave dimmed rows full alpha back); turning the clock on brightens them.
    showLockscreenPage();
    EXPECT_DOUBLE_EQ(row(kLGClockBlurKey)->alpha(), 0.42);
    tap(*inRow<ui::Switch>(kLGClockEnabledKey));
    runUntilSeconds(3);
    EXPECT_DOUBLE_EQ(row(kLGClockBlurKey)->alpha(), 1.0);
    EXPECT_TRUE(row(kLGClockBlurKey)->isUserInteractionEnabled());
}

TEST_F(SurfacePageTest, LegacyStyleMenuShowsAndHidesTheLegacySliders) {
    ui::Screen::setMainProfile(ui::DeviceProfile::legacyPhone());
    resetSupport();
    showLockscreenPage();
    const auto button = inRow<ui::Button>(kLGClockLegacyFontStyleKey);
    ASSERT_TRUE(button && button->menu());
    EXPECT_EQ(button->configuration()->title, "系统当前样式") << "unset reads as the default";

    auto choose = [&](const std::string& title) {
        for (const auto& action : button->menu()->flattenedActions()) {
            if (action->title() == title) action->performWithSender(button);
        }
    };
    choose("可变字体");
    runUntilSeconds(1);
    EXPECT_EQ(stored(kLGClockLegacyFontStyleKey)->stringValue(), "ios26");
    EXPECT_EQ(button->configuration()->title, "可变字体");
    for (const char* key :
         {kLGClockLegacyFontWeightKey, kLGClockLegacySizeBoostKey, kLGClockLegacyEmboldenKey}) {
        EXPECT_TRUE(row(key)->isHidden()) << key;
    }
    // The check mark moved with the choice.
    for (const auto& action : button->menu()->flattenedActions()) {
        EXPECT_EQ(action->state() == ui::MenuElementState::On, action->title() == "可变字体");
    }
    choose("圆角样式");
    runUntilSeconds(2);
    EXPECT_FALSE(row(kLGClockLegacySizeBoostKey)->isHidden());
    EXPECT_DOUBLE_EQ(row(kLGClockLegacySizeBoostKey)->alpha(), 1.0);
}

TEST_F(SurfacePageTest, SliderWritesOnceWhenTheGestureEnds) {
    showLockscreenPage();
    const auto slider = inRow<ui::Slider>(kLGClockBezelWidthKey);
    const auto label = valueLabel(kLGClockBezelWidthKey);
    ASSERT_TRUE(slider && label);
    EXPECT_EQ(label->text(), "24.0");

    const base::Rect track = slider->convertRect(slider->bounds(), nullptr);
    const double y = track.origin.y + track.size.height / 2;
    ASSERT_TRUE(finger.touchDown(centerOf(*slider)));
    for (double x = track.origin.x + track.size.width / 2; x < track.origin.x + track.size.width;
         x += 8) {
        ui::testing::runFrames(1);
        finger.touchMove({x, y});
    }
    ui::testing::runFrames(2);
    EXPECT_EQ(stored(kLGClockBezelWidthKey), nullptr) << "nothing is written while dragging";
    EXPECT_EQ(uiRefreshes, 0);
    EXPECT_NE(label->text(), "24.0") << "the label follows the drag";

    finger.touchUp({track.origin.x + track.size.width, y});
    ui::testing::runFrames(2);
    ASSERT_NE(stored(kLGClockBezelWidthKey), nullptr);
    EXPECT_EQ(uiRefreshes, 1);
    // The stored number is the slider's own, not one rounded to the label's digit.
    EXPECT_DOUBLE_EQ(*stored(kLGClockBezelWidthKey)->doubleValue(), double(slider->value()));
    EXPECT_EQ(label->text(), LGFormatSliderValue(1, slider->value()));
}

TEST_F(SurfacePageTest, StoredValuesShowAsTheyAreOrAsDefaultsWhenUnreadable) {
    LGPrefsSetValue(kLGClockBezelWidthKey, base::PlistValue::real(80));
    LGPrefsSetValue(kLGClockBlurKey, base::PlistValue::string("lots"));
    LGPrefsSetValue(kLGClockTintOverrideModeKey, base::PlistValue::string("sepia"));
    showLockscreenPage();
    // Outside the range: the label shows the stored number until the slider moves.
    EXPECT_EQ(valueLabel(kLGClockBezelWidthKey)->text(), "80.0");
    EXPECT_FLOAT_EQ(inRow<ui::Slider>(kLGClockBezelWidthKey)->value(), 50);
    EXPECT_EQ(valueLabel(kLGClockBlurKey)->text(), "3.0") << "a string is no number";
    // Values no range holds: the slider stays inside its range, the label says what is stored.
    LGPrefsSetValue(kLGClockGlassThicknessKey, base::PlistValue::real(std::nan("")));
    LGPrefsSetValue(kLGClockRefractiveIndexKey, base::PlistValue::real(1e308));
    showLockscreenPage();
    const float thickness = inRow<ui::Slider>(kLGClockGlassThicknessKey)->value();
    EXPECT_TRUE(thickness >= 0 && thickness <= 200) << thickness;
    EXPECT_FLOAT_EQ(inRow<ui::Slider>(kLGClockRefractiveIndexKey)->value(), 5);
    EXPECT_EQ(valueLabel(kLGClockGlassThicknessKey)->text(), "nan");
    const auto menu = inRow<ui::Button>(kLGClockTintOverrideModeKey);
    EXPECT_EQ(menu->configuration()->title, "浅色") << "no choice matches: the default's title";
    for (const auto& action : menu->menu()->flattenedActions()) {
        EXPECT_EQ(action->state(), ui::MenuElementState::Off) << action->title();
    }
}

TEST_F(SurfacePageTest, ValueEntryClampsToTheRange) {
    showLockscreenPage();
    const auto label = valueLabel(kLGClockBezelWidthKey);
    const auto slider = inRow<ui::Slider>(kLGClockBezelWidthKey);
    auto enter = [&](const std::string& text) {
        tap(*label);
        runUntilSeconds(1);
        auto alert =
            std::dynamic_pointer_cast<ui::AlertController>(page->presentedViewController());
        if (!alert) return std::shared_ptr<ui::AlertController>();
        EXPECT_EQ(alert->title(), "边缘宽度");
        EXPECT_EQ(alert->message(), "请输入 0.0 到 50.0 之间的数值。");
        alert->textFields().front()->setText(text);
        alert->chooseActionTitled("应用");
        runUntilSeconds(2);
        return alert;
    };
    ASSERT_TRUE(enter("999"));
    EXPECT_FLOAT_EQ(slider->value(), 50);
    EXPECT_EQ(label->text(), "50.0");
    EXPECT_DOUBLE_EQ(*stored(kLGClockBezelWidthKey)->doubleValue(), 50);

    ASSERT_TRUE(enter("-3"));
    EXPECT_EQ(label->text(), "0.0");
    EXPECT_DOUBLE_EQ(*stored(kLGClockBezelWidthKey)->doubleValue(), 0);

    ASSERT_TRUE(enter("12,5"));
    EXPECT_DOUBLE_EQ(*stored(kLGClockBezelWidthKey)->doubleValue(), 12.5);

    const int writes = uiRefreshes;
    ASSERT_TRUE(enter("   "));
    EXPECT_EQ(uiRefreshes, writes) << "empty text changes nothing";
    EXPECT_DOUBLE_EQ(*stored(kLGClockBezelWidthKey)->doubleValue(), 12.5);
}

TEST(ValueEntryParsing, ReadsTheLocaleThenTheLeadingDecimalNumber) {
    const text::Locale us("en_US"), de("de_DE");
    EXPECT_EQ(LGParseEnteredValue(" 1,500.25 ", us), 1500.25);
    EXPECT_EQ(LGParseEnteredValue("1,5", de), 1.5);
    EXPECT_EQ(LGParseEnteredValue("1,5", us), 1.5) << "misplaced grouping falls back to a point";
    EXPECT_EQ(LGParseEnteredValue("7.25kg", us), 7.25);
    EXPECT_EQ(LGParseEnteredValue("-.5x", us), -0.5);
    EXPECT_EQ(LGParseEnteredValue("abc", us), 0);
    EXPECT_EQ(LGParseEnteredValue("", us), std::nullopt);
    EXPECT_EQ(LGParseEnteredValue(" \n", us), std::nullopt);
    // Regression: words the C library reads as numbers must not become NaN or infinity, which no
    // range can clamp.
    EXPECT_EQ(LGParseEnteredValue("nan", us), 0);
    EXPECT_EQ(LGParseEnteredValue("inf", us), 0);
    EXPECT_EQ(LGParseEnteredValue("1e999", us), HUGE_VAL) << "too large clamps to the maximum";
}

TEST_F(SurfacePageTest, ResetAnimatesHomeThenClearsThePageKeysButTheMasterSwitch) {
    LGPrefsSetValue(kLGPrefsEnabledKey, base::PlistValue::boolean(false));
    LGPrefsSetValue(kLGClockHideStockTimeKey, base::PlistValue::boolean(false));
    LGPrefsSetValue(kLGClockBezelWidthKey, base::PlistValue::real(40));
    LGPrefsSetValue("Quorvane.Other", base::PlistValue::integer(7));
    showLockscreenPage();
    const auto master = inRow<ui::Switch>(kLGPrefsEnabledKey);
    const auto hide = inRow<ui::Switch>(kLGClockHideStockTimeKey);
    const auto slider = inRow<ui::Slider>(kLGClockBezelWidthKey);
    ASSERT_FALSE(hide->isOn());

    page->performAnimatedSurfacePreferenceReset();
    runUntilSeconds(0.5);
    EXPECT_TRUE(hide->isOn());
    EXPECT_FALSE(master->isOn()) << "the master switch is never reset";
    EXPECT_FLOAT_EQ(slider->value(), 24);
    EXPECT_EQ(valueLabel(kLGClockBezelWidthKey)->text(), "24.0");
    EXPECT_NE(stored(kLGClockBezelWidthKey), nullptr) << "the store waits for the animation";

    runUntilSeconds(1);
    EXPECT_EQ(stored(kLGClockBezelWidthKey), nullptr);
    EXPECT_EQ(stored(kLGClockHideStockTimeKey), nullptr);
    EXPECT_NE(stored(kLGPrefsEnabledKey), nullptr);
    EXPECT_NE(stored("Quorvane.Other"), nullptr) << "keys of other pages stay";
}

TEST_F(SurfacePageTest, LastSurfaceIsRememberedOnAppearAndForgottenOnBack) {
    showLockscreenPage();
    EXPECT_EQ(settings::settingsUserDefaults()->stringForKey(kLGPrefsLastSurfaceKey), "Lockscreen");
    LGPrefsForgetSurface("Other");
    EXPECT_EQ(settings::settingsUserDefaults()->stringForKey(kLGPrefsLastSurfaceKey), "Lockscreen");
    page->handleBackPressed();
    EXPECT_EQ(settings::settingsUserDefaults()->objectForKey(kLGPrefsLastSurfaceKey), nullptr);

    EXPECT_EQ(LGPrefsCurrentLanguage(), "zh-Hans");
    LGPrefsSetLanguage("ja");
    EXPECT_EQ(LGPrefsCurrentLanguage(), "ja");
    LGPrefsSetLanguage("en");
    EXPECT_EQ(LGPrefsCurrentLanguage(), "zh-Hans") << "English is stored as no choice";
}

TEST_F(SurfacePageTest, RootControllerHidesItsTableAndEmbedsOnePageThatFillsIt) {
    auto root = std::make_shared<QVQuorvaneRootListController>();
    window->setRootViewController(ui::NavigationController::create(root));
    ui::testing::runFrames(2);
    EXPECT_TRUE(root->specifiers().empty());
    ASSERT_TRUE(root->table());
    EXPECT_TRUE(root->table()->isHidden());
    const auto embedded = root->lg_surfaceController();
    ASSERT_TRUE(embedded);
    EXPECT_EQ(embedded->parentViewController(), root);
    EXPECT_EQ(embedded->screenIdentifier(), "Lockscreen");
    EXPECT_EQ(embedded->view()->frame(), root->view()->bounds());
    // The bar shows the root's item, so its "重置" is the button the user sees; it asks the page.
    const auto reset = root->navigationItem()->rightBarButtonItem();
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->title(), "重置");
    EXPECT_EQ(reset->target(), embedded);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"
#include "settings/model/LGSettingsItems.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockVariableFont.h"

namespace {

// The page as built on a device of the profile: the process reports the profile's system
// version and its screen the profile's frame rate.
class SurfaceItemsTest : public ::testing::Test {
  protected:
    ~SurfaceItemsTest() override {
        ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone());
        lg::detail::resetProcessFactsForTesting();
    }

    static std::vector<LGSettingsItem> itemsOn(const ui::DeviceProfile& profile) {
        ui::Screen::setMainProfile(profile);
        lg::detail::resetProcessFactsForTesting();
        return LGLockscreenSurfaceItems();
    }
    static std::vector<LGSettingsItem> modernItems() {
        return itemsOn(ui::DeviceProfile::modernPhone());
    }
    static std::vector<LGSettingsItem> legacyItems() {
        return itemsOn(ui::DeviceProfile::legacyPhone());
    }
    static ui::DeviceProfile withRate(ui::DeviceProfile profile, int framesPerSecond) {
        profile.maximumFramesPerSecond = framesPerSecond;
        return profile;
    }

    // One line per item: "type key title", or "type title" for items without a key.
    static std::vector<std::string> outline(const std::vector<LGSettingsItem>& items) {
        std::vector<std::string> lines;
        for (const LGSettingsItem& item : items) {
            std::string line = item.string("type");
            if (!item.string("key").empty()) line += " " + item.string("key");
            line += " " + item.string("title");
            lines.push_back(line);
        }
        return lines;
    }

    static const LGSettingsItem* find(const std::vector<LGSettingsItem>& items,
                                      std::string_view key) {
        const auto it = std::find_if(items.begin(), items.end(), [&](const LGSettingsItem& i) {
            return i.string("key") == key;
        });
        return it == items.end() ? nullptr : &*it;
    }
};

const std::vector<std::string> kHead = {
    "switch Quorvane.Enabled 启用插件",
    "section ",
    "switch Quorvane.Clock.Enabled 启用锁屏时钟",
    "switch Quorvane.Clock.HideStockTime 隐藏系统时间",
    "slider Quorvane.Clock.FPS 帧率上限",
    "slider Quorvane.Clock.BezelWidth 边缘宽度",
    "slider Quorvane.Clock.Blur 模糊强度",
    "slider Quorvane.Clock.LightTintAlpha 浅色染色",
    "slider Quorvane.Clock.DarkTintAlpha 深色染色",
    "slider Quorvane.Clock.GlassThickness 玻璃厚度",
    "slider Quorvane.Clock.RefractiveIndex 折射系数",
    "slider Quorvane.Clock.RefractionScale 折射强度",
    "slider Quorvane.Clock.SpecularOpacity 高光不透明度",
    "slider Quorvane.Clock.WallpaperScale 壁纸采样质量",
    "slider Quorvane.Clock.VerticalOffset 时钟垂直偏移",
    "slider Quorvane.Clock.DateVerticalOffset 日期垂直偏移",
    "menu Quorvane.Clock.TintOverrideMode 深浅模式切换",
    "section ",
};
const std::vector<std::string> kVariableFont = {
    "switch Quorvane.Clock.VariableFont.Enabled 启用预设字体",
    "slider Quorvane.Clock.VariableFont.Weight 字体粗细",
    "slider Quorvane.Clock.VariableFont.SizeScale 字体大小",
    "slider Quorvane.Clock.VariableFont.Width 字体宽度",
    "slider Quorvane.Clock.VariableFont.Height 字体高度",
    "slider Quorvane.Clock.VariableFont.Softness 字体柔和",
};
const std::vector<std::string> kLegacyFont = {
    "menu Quorvane.Clock.LegacyFontStyle 字体样式",
    "slider Quorvane.Clock.LegacyFontWeight 字体粗细",
    "slider Quorvane.Clock.LegacySizeBoost 大小增强",
    "slider Quorvane.Clock.LegacyEmbolden 加粗增强",
};
const std::vector<std::string> kAbout = {
    "section 关于我们",
    "nav Sileo 越狱源",
    "nav TG 分享频道",
    "nav QQ 交流群组",
};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace

TEST_F(SurfaceItemsTest, EachSystemGenerationListsItsOwnFontGroupOnly) {
    const auto modern = modernItems();
    EXPECT_EQ(outline(modern), joined({kHead, kVariableFont, kAbout}));
    EXPECT_EQ(modern.size(), 28u);
    EXPECT_EQ(find(modern, kLGClockLegacyFontStyleKey), nullptr);

    const auto legacy = legacyItems();
    EXPECT_EQ(outline(legacy), joined({kHead, kLegacyFont, kAbout}));
    EXPECT_EQ(legacy.size(), 26u);
    EXPECT_EQ(find(legacy, kLGClockVariableFontEnabledKey), nullptr);

    // The about rows name the page's link operations; the caption is small, so the page has no
    // full-size section title to jump to.
    EXPECT_EQ(modern[25].string("action"), "openSileoRepo");
    EXPECT_EQ(modern[26].string("action"), "openTelegramChannel");
    EXPECT_EQ(modern[27].string("action"), "openQQGroup");
    for (const auto& item : modern) {
        EXPECT_EQ(item.object("subtitle")->stringValue(), "") << item.string("title");
        if (item.string("type") == "section" && !item.string("title").empty()) {
            EXPECT_TRUE(item.boolean("small_title"));
        }
    }
}

TEST_F(SurfaceItemsTest, FrameRateSliderEndsAtTheScreensRateClass) {
    const auto fpsMax = [&](const ui::DeviceProfile& profile) {
        const auto items = itemsOn(profile);
        const LGSettingsItem* fps = find(items, kLGClockFPSKey);
        return fps ? fps->number("max").value_or(-1) : -1;
    };
    const auto standard = ui::DeviceProfile::standardPhone();
    EXPECT_EQ(fpsMax(withRate(standard, 60)), 60);
    EXPECT_EQ(fpsMax(withRate(standard, 90)), 60);
    EXPECT_EQ(fpsMax(withRate(standard, 120)), 120);
    EXPECT_EQ(fpsMax(withRate(standard, 144)), 120);
    EXPECT_EQ(LGMaximumClockFPS(), 120) << "read again for the screen now in force";

    const LGSettingsItem fps = LGClockFPSItem("K");
    EXPECT_EQ(fps.string("title"), "帧率上限");
    EXPECT_EQ(fps.number("decimals"), 0);
    EXPECT_EQ(fps.number("default"), 30);
    EXPECT_EQ(fps.number("min"), 10);
}

TEST_F(SurfaceItemsTest, SlidersHoldTheirDefaultsWithinTheirRanges) {
    for (const auto& items :
         {modernItems(), legacyItems(), itemsOn(ui::DeviceProfile::standardPhone())}) {
        for (const LGSettingsItem& item : items) {
            if (item.string("type") != "slider") continue;
            SCOPED_TRACE(item.string("key"));
            const double lo = item.number("min").value_or(NAN);
            const double hi = item.number("max").value_or(NAN);
            const double def = item.number("default").value_or(NAN);
            EXPECT_LT(lo, hi);
            EXPECT_GE(def, lo);
            EXPECT_LE(def, hi);
            const auto decimals = item.object("decimals")->int64Value();
            ASSERT_TRUE(decimals);
            EXPECT_GE(*decimals, 0);
            EXPECT_LE(*decimals, 2);
        }
    }
}

TEST_F(SurfaceItemsTest, RulesReferToSettingsThePageItselfOffers) {
    for (const auto& items : {modernItems(), legacyItems()}) {
        for (const LGSettingsItem& item : items) {
            SCOPED_TRACE(item.string("title"));
            if (const std::string& key = item.string("enabled_key"); !key.empty()) {
                const LGSettingsItem* master = find(items, key);
                ASSERT_NE(master, nullptr);
                EXPECT_EQ(master->string("type"), "switch");
                EXPECT_TRUE(master->boolean("controls_following_panel"));
                EXPECT_EQ(item.boolean("enabled_default"), master->boolean("default"));
            }
            if (const std::string& key = item.string("visible_key"); !key.empty()) {
                const LGSettingsItem* menu = find(items, key);
                ASSERT_NE(menu, nullptr);
                EXPECT_EQ(menu->string("type"), "menu");
                EXPECT_TRUE(menu->boolean("reload_on_change"))
                    << "rows it shows or hides follow a selection at once";
                EXPECT_EQ(item.string("visible_default"), menu->string("default"));
                std::set<std::string> offered;
                for (const auto& choice : menu->choices()) offered.insert(choice.value);
                for (const auto& value : item.array("visible_values")) {
                    EXPECT_TRUE(offered.count(value->stringValue())) << value->stringValue();
                }
            }
        }
    }
}

TEST_F(SurfaceItemsTest, ClockSwitchDimsEveryClockRowButTheLegacySliders) {
    const auto controlledKeys = [](const std::vector<LGSettingsItem>& items) {
        std::vector<std::string> keys;
        for (const auto& item : items) {
            if (item.string("enabled_key") == kLGClockEnabledKey)
                keys.push_back(item.string("key"));
        }
        return keys;
    };
    const auto legacy = legacyItems();
    const std::vector<std::string> legacyControlled = controlledKeys(legacy);
    EXPECT_EQ(legacyControlled.size(), 15u) << "rows 4 to 17 and the style menu";
    EXPECT_EQ(legacyControlled.back(), kLGClockLegacyFontStyleKey);
    for (const char* key :
         {kLGClockLegacyFontWeightKey, kLGClockLegacySizeBoostKey, kLGClockLegacyEmboldenKey}) {
        const LGSettingsItem* slider = find(legacy, key);
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->object("enabled_key"), nullptr) << key;
        EXPECT_EQ(slider->string("visible_key"), kLGClockLegacyFontStyleKey) << key;
    }
    EXPECT_EQ(controlledKeys(modernItems()).size(), 20u) << "rows 4 to 17 and the font group";

    const LGSettingsItem* style = find(legacy, kLGClockLegacyFontStyleKey);
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->choices(),
              (std::vector<LGSettingsChoice>{
                  {"current", "系统当前样式"}, {"rounded", "圆角样式"}, {"ios26", "可变字体"}}));
    const LGSettingsItem* tint = find(legacy, kLGClockTintOverrideModeKey);
    ASSERT_NE(tint, nullptr);
    EXPECT_EQ(tint->string("default"), "light")
        << "the page passes light, not the builder's system";
    EXPECT_EQ(tint->choices().size(), 3u);
}

TEST_F(SurfaceItemsTest, SharedKeysDefaultToWhatTheTweakReadsWhenUnset) {
    std::map<std::string, base::PlistPtr> defaults;
    for (const auto& items : {modernItems(), legacyItems()}) {
        for (const auto& item : items) {
            if (!item.string("key").empty()) defaults[item.string("key")] = item.object("default");
        }
    }
    const auto number = [&](const char* key) {
        EXPECT_TRUE(defaults.count(key)) << key;
        return defaults.count(key) ? defaults[key]->doubleValue().value_or(NAN) : NAN;
    };
    const auto boolean = [&](const char* key) {
        EXPECT_TRUE(defaults.count(key)) << key;
        EXPECT_EQ(defaults[key]->type(), base::PlistType::Boolean) << key;
        return defaults.count(key) && defaults[key]->boolValue();
    };
    const auto string = [&](const char* key) {
        EXPECT_TRUE(defaults.count(key)) << key;
        return defaults.count(key) ? defaults[key]->stringValue() : std::string();
    };

    EXPECT_EQ(boolean(kLGPrefsEnabledKey), true) << "LGTweakEnabled's default";
    EXPECT_EQ(boolean(kLGClockEnabledKey), kLGClockEnabledDefault);
    EXPECT_EQ(boolean(kLGClockHideStockTimeKey), kLGClockHideStockTimeDefault);
    EXPECT_EQ(number(kLGClockFPSKey), double(kLGClockFPSDefault));
    EXPECT_EQ(number(kLGClockBezelWidthKey), kLGClockBezelWidthDefault);
    EXPECT_EQ(number(kLGClockBlurKey), kLGClockBlurDefault);
    EXPECT_EQ(number(kLGClockLightTintAlphaKey), kLGClockLightTintAlphaDefault);
    EXPECT_EQ(number(kLGClockDarkTintAlphaKey), kLGClockDarkTintAlphaDefault);
    EXPECT_EQ(number(kLGClockGlassThicknessKey), kLGClockGlassThicknessDefault);
    EXPECT_EQ(number(kLGClockRefractiveIndexKey), kLGClockRefractiveIndexDefault);
    EXPECT_EQ(number(kLGClockRefractionScaleKey), kLGClockRefractionScaleDefault);
    EXPECT_EQ(number(kLGClockSpecularOpacityKey), kLGClockSpecularOpacityDefault);
    EXPECT_EQ(number(kLGClockWallpaperScaleKey), kLGClockWallpaperScaleDefault);
    EXPECT_EQ(number(kLGClockVerticalOffsetKey), kLGClockVerticalOffsetDefault);
    EXPECT_EQ(number(kLGClockDateVerticalOffsetKey), kLGClockDateVerticalOffsetDefault);
    EXPECT_EQ(string(kLGClockTintOverrideModeKey), kLGClockTintOverrideModeDefault);
    EXPECT_EQ(boolean(kLGClockVariableFontEnabledKey), kLGClockVariableFontEnabledDefault);
    EXPECT_EQ(number(kLGClockVariableFontWeightKey), kLGClockVariableFontDefaultWeight);
    EXPECT_EQ(number(kLGClockVariableFontSizeScaleKey), kLGClockVariableFontDefaultSizeScale);
    EXPECT_EQ(number(kLGClockVariableFontWidthKey), kLGClockVariableFontDefaultWidth);
    EXPECT_EQ(number(kLGClockVariableFontHeightKey), kLGClockVariableFontDefaultHeight);
    EXPECT_EQ(number(kLGClockVariableFontSoftnessKey), kLGClockVariableFontDefaultSoftness);
    EXPECT_EQ(string(kLGClockLegacyFontStyleKey), kLGClockLegacyFontStyleDefault);
    EXPECT_EQ(number(kLGClockLegacyFontWeightKey), kLGClockLegacyFontWeightDefault);
    EXPECT_EQ(number(kLGClockLegacyFontWeightKey), text::FontWeight::Heavy);
    EXPECT_EQ(number(kLGClockLegacySizeBoostKey), kLGClockLegacySizeBoostDefault);
    EXPECT_EQ(number(kLGClockLegacyEmboldenKey), kLGClockLegacyEmboldenDefault);
    EXPECT_EQ(defaults.size(), 26u) << "every key of the page is checked above";
}

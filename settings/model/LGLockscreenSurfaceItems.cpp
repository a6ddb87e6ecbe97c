#include "platform/ui/Screen.h"
#include "settings/model/LGSettingsItems.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockVariableFont.h"

// The lock-screen clock's settings page. Every key the tweak also reads takes its default from
// the tweak's own constants, so that a reset on the page returns a control to exactly what the
// clock shows for a missing value.

LGSettingsItem LGClockEnabledItem(std::string key, bool defaultValue) {
    return LGSwitchItem(std::move(key), "启用锁屏时钟", {}, defaultValue)
        .with("controls_following_panel", base::PlistValue::boolean(true));
}

int64_t LGMaximumClockFPS() {
    // Only a 120 Hz screen raises the ceiling; a 90 Hz screen keeps the 60 of a standard one.
    return ui::Screen::main()->maximumFramesPerSecond() >= 120 ? 120 : 60;
}

LGSettingsItem LGClockFPSItem(std::string key) {
    return LGSliderItem(std::move(key), "帧率上限", {}, 0, double(kLGClockFPSDefault),
                        double(kLGClockFPSFloor), double(LGMaximumClockFPS()));
}

LGSettingsItem LGTintModeItem(std::string key, std::string title, std::string defaultValue) {
    if (defaultValue.empty()) defaultValue = "system";
    return LGMenuItem(std::move(key), std::move(title), {}, std::move(defaultValue),
                      {{"system", "跟随系统"}, {"light", "浅色"}, {"dark", "深色"}});
}

namespace {

LGSettingsItem clockSlider(const char* key, const char* title, int64_t decimals,
                           double defaultValue, double minimum, double maximum) {
    return LGClockControlledItem(
        LGSliderItem(key, title, {}, decimals, defaultValue, minimum, maximum));
}

void appendClockGroup(std::vector<LGSettingsItem>& items) {
    items.push_back(LGClockEnabledItem(kLGClockEnabledKey, kLGClockEnabledDefault));
    items.push_back(LGClockControlledItem(
        LGSwitchItem(kLGClockHideStockTimeKey, "隐藏系统时间", {}, kLGClockHideStockTimeDefault)));
    items.push_back(LGClockControlledItem(LGClockFPSItem(kLGClockFPSKey)));
    items.push_back(
        clockSlider(kLGClockBezelWidthKey, "边缘宽度", 1, kLGClockBezelWidthDefault, 0, 50));
    items.push_back(clockSlider(kLGClockBlurKey, "模糊强度", 1, kLGClockBlurDefault, 0, 50));
    items.push_back(
        clockSlider(kLGClockLightTintAlphaKey, "浅色染色", 2, kLGClockLightTintAlphaDefault, 0, 1));
    items.push_back(
        clockSlider(kLGClockDarkTintAlphaKey, "深色染色", 2, kLGClockDarkTintAlphaDefault, 0, 1));
    items.push_back(clockSlider(kLGClockGlassThicknessKey, "玻璃厚度", 1,
                                kLGClockGlassThicknessDefault, 0, 200));
    items.push_back(clockSlider(kLGClockRefractiveIndexKey, "折射系数", 2,
                                kLGClockRefractiveIndexDefault, 0, 5));
    items.push_back(clockSlider(kLGClockRefractionScaleKey, "折射强度", 2,
                                kLGClockRefractionScaleDefault, 0, 5));
    items.push_back(clockSlider(kLGClockSpecularOpacityKey, "高光不透明度", 2,
                                kLGClockSpecularOpacityDefault, 0, 1));
    items.push_back(clockSlider(kLGClockWallpaperScaleKey, "壁纸采样质量", 2,
                                kLGClockWallpaperScaleDefault, 0.1, 1.0));
    items.push_back(clockSlider(kLGClockVerticalOffsetKey, "时钟垂直偏移", 1,
                                kLGClockVerticalOffsetDefault, 0, 120));
    items.push_back(clockSlider(kLGClockDateVerticalOffsetKey, "日期垂直偏移", 1,
                                kLGClockDateVerticalOffsetDefault, 0, 120));
    items.push_back(LGClockControlledItem(LGTintModeItem(
        kLGClockTintOverrideModeKey, "深浅模式切换", kLGClockTintOverrideModeDefault)));
}

// iOS 16 and later: the clock's own variable font.
void appendVariableFontGroup(std::vector<LGSettingsItem>& items) {
    items.push_back(LGClockControlledItem(LGSwitchItem(
        kLGClockVariableFontEnabledKey, "启用预设字体", {}, kLGClockVariableFontEnabledDefault)));
    items.push_back(clockSlider(kLGClockVariableFontWeightKey, "字体粗细", 0,
                                kLGClockVariableFontDefaultWeight, 1, 1000));
    items.push_back(clockSlider(kLGClockVariableFontSizeScaleKey, "字体大小", 2,
                                kLGClockVariableFontDefaultSizeScale, 0.8, 2.0));
    items.push_back(clockSlider(kLGClockVariableFontWidthKey, "字体宽度", 0,
                                kLGClockVariableFontDefaultWidth, 60, 100));
    items.push_back(clockSlider(kLGClockVariableFontHeightKey, "字体高度", 0,
                                kLGClockVariableFontDefaultHeight, 100, 500));
    items.push_back(clockSlider(kLGClockVariableFontSoftnessKey, "字体柔和", 0,
                                kLGClockVariableFontDefaultSoftness, 0, 100));
}

// Before iOS 16: a choice of system styles. The three sliders below the menu follow the style
// chosen, not the clock switch: they stay usable while the clock is off.
void appendLegacyFontGroup(std::vector<LGSettingsItem>& items) {
    items.push_back(
        LGClockControlledItem(
            LGMenuItem(
                kLGClockLegacyFontStyleKey, "字体样式", {}, kLGClockLegacyFontStyleDefault,
                {{"current", "系统当前样式"}, {"rounded", "圆角样式"}, {"ios26", "可变字体"}}))
            .with("reload_on_change", base::PlistValue::boolean(true)));
    const auto legacySlider = [&](const char* key, const char* title, double defaultValue,
                                  double minimum, double maximum) {
        items.push_back(LGLegacyStyleVisibleItem(
            LGSliderItem(key, title, {}, 2, defaultValue, minimum, maximum),
            {"current", "rounded"}));
    };
    legacySlider(kLGClockLegacyFontWeightKey, "字体粗细", kLGClockLegacyFontWeightDefault, 0, 1);
    legacySlider(kLGClockLegacySizeBoostKey, "大小增强", kLGClockLegacySizeBoostDefault, 0.8, 1.3);
    legacySlider(kLGClockLegacyEmboldenKey, "加粗增强", kLGClockLegacyEmboldenDefault, 0, 1);
}

}  // namespace

std::vector<LGSettingsItem> LGLockscreenSurfaceItems() {
    std::vector<LGSettingsItem> items;
    items.push_back(LGSwitchItem(kLGPrefsEnabledKey, "启用插件", {}, true));
    items.push_back(LGSectionItem({}, {}));
    appendClockGroup(items);
    items.push_back(LGSectionItem({}, {}));
    if (LGIsModernSystem()) {
        appendVariableFontGroup(items);
    } else {
        appendLegacyFontGroup(items);
    }
    items.push_back(LGSmallSectionItem("关于我们"));
    items.push_back(LGNavItem("Sileo 越狱源", {}, "openSileoRepo"));
    items.push_back(LGNavItem("TG 分享频道", {}, "openTelegramChannel"));
    items.push_back(LGNavItem("QQ 交流群组", {}, "openQQGroup"));
    return items;
}

#include <gtest/gtest.h>

#include "settings/model/LGSettingsItems.h"

using base::PlistValue;

namespace {

std::vector<std::string> fieldNames(const LGSettingsItem& item) {
    std::vector<std::string> names;
    for (const auto& [name, value] : item.fields()) names.push_back(name);
    return names;
}

}  // namespace

TEST(LGSettingsItem, AbsentAndMistypedFieldsReadAsNotSet) {
    const LGSettingsItem empty;
    EXPECT_TRUE(empty.fields().empty());
    EXPECT_EQ(empty.object("title"), nullptr);
    EXPECT_EQ(empty.string("title"), "");
    EXPECT_FALSE(empty.boolean("small_title"));
    EXPECT_EQ(empty.number("min"), std::nullopt);
    EXPECT_TRUE(empty.array("choices").empty());
    EXPECT_TRUE(empty.choices().empty());

    // A field of another kind than the reader expects is not set for that reader.
    const LGSettingsItem odd({{"title", PlistValue::integer(3)},
                              {"min", PlistValue::string("0")},
                              {"small_title", PlistValue::string("yes")},
                              {"choices", PlistValue::string("a,b")}});
    EXPECT_EQ(odd.string("title"), "");
    EXPECT_EQ(odd.number("title"), 3.0);
    EXPECT_EQ(odd.number("min"), std::nullopt);
    EXPECT_FALSE(odd.boolean("small_title"));
    EXPECT_TRUE(odd.choices().empty());
}

TEST(LGSettingsItem, WithReturnsAChangedCopyAndLeavesTheOriginal) {
    const LGSettingsItem original = LGNavItem("标题", "", "openQQGroup");
    const LGSettingsItem added = original.with("enabled_key", PlistValue::string("K"));
    const LGSettingsItem replaced = added.with("title", PlistValue::string("新"));
    const LGSettingsItem removed = replaced.with("enabled_key", nullptr);

    EXPECT_EQ(original.string("enabled_key"), "");
    EXPECT_EQ(added.string("enabled_key"), "K");
    EXPECT_EQ(replaced.string("title"), "新");
    EXPECT_EQ(added.string("title"), "标题");
    EXPECT_EQ(removed.object("enabled_key"), nullptr);
    EXPECT_EQ(removed.with("title", PlistValue::string("标题")), original);
    EXPECT_NE(added, original);
    // Removing a field that is not there changes nothing.
    EXPECT_EQ(original.with("missing", nullptr), original);
}

TEST(LGSettingsItem, ChoicesSkipEntriesThatAreNotRecords) {
    const LGSettingsItem menu(
        {{"choices",
          PlistValue::array({PlistValue::dictionary({{"value", PlistValue::string("a")},
                                                     {"title", PlistValue::string("甲")}}),
                             PlistValue::string("stray"),
                             PlistValue::dictionary({{"value", PlistValue::integer(2)}}),
                             PlistValue::dictionary({{"title", PlistValue::string("丙")}})})}});
    EXPECT_EQ(menu.choices(), (std::vector<LGSettingsChoice>{{"a", "甲"}, {"", ""}, {"", "丙"}}));
}

TEST(LGSettingsBuilders, EachBuilderFillsExactlyTheFieldsOfItsType) {
    const LGSettingsItem toggle = LGSwitchItem("K.Switch", "开关", "", true);
    EXPECT_EQ(fieldNames(toggle),
              (std::vector<std::string>{"default", "key", "subtitle", "title", "type"}));
    EXPECT_EQ(toggle.string("type"), "switch");
    EXPECT_EQ(toggle.object("default")->type(), base::PlistType::Boolean);
    EXPECT_TRUE(toggle.boolean("default"));

    const LGSettingsItem slider = LGSliderItem("K.Slider", "滑块", "说明", 2, 0.5, 0, 1);
    EXPECT_EQ(fieldNames(slider), (std::vector<std::string>{"decimals", "default", "key", "max",
                                                            "min", "subtitle", "title", "type"}));
    EXPECT_EQ(slider.object("decimals")->type(), base::PlistType::Integer);
    for (const char* field : {"default", "min", "max"}) {
        EXPECT_EQ(slider.object(field)->type(), base::PlistType::Real) << field;
    }
    EXPECT_EQ(slider.number("default"), 0.5);
    EXPECT_EQ(slider.string("subtitle"), "说明");

    const LGSettingsItem menu = LGMenuItem("K.Menu", "菜单", "", "b");
    EXPECT_EQ(fieldNames(menu),
              (std::vector<std::string>{"choices", "default", "key", "subtitle", "title", "type"}));
    EXPECT_EQ(menu.object("choices")->type(), base::PlistType::Array) << "empty, not absent";
    EXPECT_TRUE(menu.choices().empty());
    EXPECT_EQ(LGMenuItem("K", "", "", "x", {{"x", "叉"}, {"y", "歪"}}).choices(),
              (std::vector<LGSettingsChoice>{{"x", "叉"}, {"y", "歪"}}));

    const LGSettingsItem nav = LGNavItem("链接", "", "openSileoRepo");
    EXPECT_EQ(fieldNames(nav), (std::vector<std::string>{"action", "subtitle", "title", "type"}));

    const LGSettingsItem gap = LGSectionItem("", "");
    EXPECT_EQ(fieldNames(gap), (std::vector<std::string>{"subtitle", "title", "type"}));
    EXPECT_EQ(gap.object("title")->stringValue(), "") << "a missing string is stored as \"\"";

    const LGSettingsItem caption = LGSmallSectionItem("关于我们");
    EXPECT_EQ(fieldNames(caption),
              (std::vector<std::string>{"small_title", "subtitle", "title", "type"}));
    EXPECT_TRUE(caption.boolean("small_title"));
    EXPECT_EQ(caption.string("type"), "section");
}

TEST(LGSettingsBuilders, TintModeMenuOffersThreeModesAndDefaultsToFollowingTheSystem) {
    const LGSettingsItem bare = LGTintModeItem("K");
    EXPECT_EQ(bare.string("default"), "system");
    EXPECT_EQ(bare.object("title")->stringValue(), "");
    EXPECT_EQ(bare.object("subtitle")->stringValue(), "");
    EXPECT_EQ(bare.choices(), (std::vector<LGSettingsChoice>{
                                  {"system", "跟随系统"}, {"light", "浅色"}, {"dark", "深色"}}));
    EXPECT_EQ(LGTintModeItem("K", "模式", "dark").string("default"), "dark");
}

TEST(LGSettingsRules, RulesAddTheirFieldsToACopy) {
    const LGSettingsItem slider = LGSliderItem("K", "T", "", 1, 5, 0, 10);

    const LGSettingsItem controlled = LGClockControlledItem(slider);
    EXPECT_EQ(controlled.string("enabled_key"), "Quorvane.Clock.Enabled");
    EXPECT_EQ(controlled.object("enabled_default")->type(), base::PlistType::Boolean);
    EXPECT_TRUE(controlled.boolean("enabled_default"));
    EXPECT_EQ(controlled.with("enabled_key", nullptr).with("enabled_default", nullptr), slider);

    const LGSettingsItem visible = LGLegacyStyleVisibleItem(slider, {"current", "rounded"});
    EXPECT_EQ(visible.string("visible_key"), "Quorvane.Clock.LegacyFontStyle");
    EXPECT_EQ(visible.string("visible_default"), "current");
    ASSERT_EQ(visible.array("visible_values").size(), 2u);
    EXPECT_EQ(visible.array("visible_values")[1]->stringValue(), "rounded");
    EXPECT_EQ(visible.object("enabled_key"), nullptr) << "visibility alone does not dim";

    const LGSettingsItem none = LGLegacyStyleVisibleItem(slider);
    ASSERT_NE(none.object("visible_values"), nullptr);
    EXPECT_TRUE(none.array("visible_values").empty());
}

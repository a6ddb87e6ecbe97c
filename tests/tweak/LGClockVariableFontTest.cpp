#include <filesystem>
#include <limits>

#include <gmock/gmock.h>

#include "platform/text/FontRegistry.h"
#include "tests/tweak/ClockFontTestFixture.h"
#include "tweak/detail/LGCountLimitedCache.h"

using base::PlistValue;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

constexpr uint32_t kWght = text::axisTag("wght");
constexpr uint32_t kWdth = text::axisTag("wdth");
constexpr uint32_t kHght = text::axisTag("HGHT");
constexpr uint32_t kSoft = text::axisTag("SOFT");

}  // namespace

using ClockVariableFont = ClockFontTest;

TEST(ClockAxisNames, FirstMatchingLogicalNameWins) {
    EXPECT_EQ(LGClockLogicalAxisName("Weight"), kLGClockAxisWeight);
    EXPECT_EQ(LGClockLogicalAxisName("WDTH"), kLGClockAxisWidth);
    EXPECT_EQ(LGClockLogicalAxisName("Digit Height"), kLGClockAxisHeight);
    EXPECT_EQ(LGClockLogicalAxisName("Softness"), kLGClockAxisSoftness);
    EXPECT_EQ(LGClockLogicalAxisName("Width by Height"), kLGClockAxisWidth);
    EXPECT_EQ(LGClockLogicalAxisName("Soft Weight"), kLGClockAxisWeight);
    EXPECT_EQ(LGClockLogicalAxisName("Optical size"), std::nullopt);
    EXPECT_EQ(LGClockLogicalAxisName(""), std::nullopt);
}

TEST_F(ClockVariableFont, LoadsTheBundleFontAndLearnsItsFourAxes) {
    place(kBundleFontPath, clockFont());
    EXPECT_EQ(LGClockClampAxis(kLGClockAxisWeight, 5000), 5000) << "nothing loaded yet";
    EXPECT_FALSE(LGClockVariableFontAxisRange(kLGClockAxisHeight));

    const text::FontRef font = LGClockVariableFont(84, 350);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->pointSize(), 84);
    EXPECT_EQ(LGClockVariableFontPath(), kBundleFontPath);
    EXPECT_EQ(LGClockVariableFontPostScriptName(), "SFAdaptiveSoftNumeric-Regular");
    EXPECT_THAT(fontLog(), IsEmpty());

    // The ranges cover the settings sliders.
    const auto check = [](std::string_view axis, double lo, double hi) {
        const auto range = LGClockVariableFontAxisRange(axis);
        ASSERT_TRUE(range) << axis;
        EXPECT_EQ(range->minimum, lo) << axis;
        EXPECT_EQ(range->maximum, hi) << axis;
    };
    check(kLGClockAxisWeight, 100, 1000);
    check(kLGClockAxisWidth, 60, 100);
    check(kLGClockAxisHeight, 100, 500);
    check(kLGClockAxisSoftness, 0, 100);

    // Registered for the process: found by name like any installed font.
    EXPECT_TRUE(
        text::Font::create(text::FontDescriptor::named("SFAdaptiveSoftNumeric-Regular"), 20));
}

TEST_F(ClockVariableFont, WeightBeyondTheAxisIsClampedInVariationAndKey) {
    place(kBundleFontPath, clockFont());
    setSettings({{kLGClockVariableFontWeightKey, PlistValue::real(2000)},
                 {kLGClockVariableFontWidthKey, PlistValue::real(20)}});

    const text::FontRef font = LGClockVariableFont(84, 350);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->variations().at(kWght), 1000);
    EXPECT_EQ(font->variations().at(kWdth), 60);

    const auto request = LGClockVariableFontRequestFor(84, 350);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->key, "SFAdaptiveSoftNumeric-Regular|84.00|1000.00|60.00|350.00|56.00|1.40");
    EXPECT_EQ(request->variations,
              (text::Variations{{kWght, 1000}, {kWdth, 60}, {kHght, 350}, {kSoft, 56}}));

    // The height comes from the argument, not from the height setting; a NaN argument is the
    // setting.
    setSettings({{kLGClockVariableFontHeightKey, PlistValue::real(420)}});
    EXPECT_EQ(LGClockVariableFontRequestFor(84, 9999)->variations.at(kHght), 500);
    EXPECT_EQ(LGClockVariableFontRequestFor(84, 120)->variations.at(kHght), 120);
    EXPECT_EQ(LGClockVariableFontRequestFor(84, std::numeric_limits<double>::quiet_NaN())
                  ->variations.at(kHght),
              420);
}

TEST_F(ClockVariableFont, FontWithoutHeightAxisPassesHeightThroughUnrequested) {
    place(kBundleFontPath, noHeightFont());

    const text::FontRef font = LGClockVariableFont(60, 735.5);
    ASSERT_TRUE(font);
    EXPECT_FALSE(LGClockVariableFontAxisRange(kLGClockAxisHeight));
    EXPECT_EQ(LGClockClampAxis(kLGClockAxisHeight, 735.5), 735.5);
    EXPECT_EQ(LGClockClampAxis(kLGClockAxisWeight, 735.5), 735.5);
    EXPECT_EQ(LGClockClampAxis(kLGClockAxisWeight, 5), 100);

    const auto request = LGClockVariableFontRequestFor(60, 735.5);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->key, "QVClockTestNoHeight-Regular|60.00|750.00|100.00|735.50|56.00|1.40");
    EXPECT_EQ(request->variations, (text::Variations{{kWght, 750}, {kWdth, 100}, {kSoft, 56}}));
    EXPECT_EQ(font->variations(), request->variations);
}

TEST_F(ClockVariableFont, IdenticalRequestsShareAnInstanceAndASettingChangeMakesANewOne) {
    place(kBundleFontPath, clockFont());
    const text::FontRef first = LGClockVariableFont(84, 350);
    ASSERT_TRUE(first);
    EXPECT_EQ(LGClockVariableFont(84, 350), first);
    EXPECT_EQ(LGClockVariableFont(84.001, 350.004), first) << "equal to two decimals";
    EXPECT_NE(LGClockVariableFont(84, 351), first);

    setSettings({{kLGClockVariableFontSoftnessKey, PlistValue::real(57)}});
    const text::FontRef softer = LGClockVariableFont(84, 350);
    ASSERT_TRUE(softer);
    EXPECT_NE(softer, first);
    EXPECT_EQ(softer->variations().at(kSoft), 57);

    // The size scale setting is part of the key even though it does not change the instance.
    setSettings({{kLGClockVariableFontSoftnessKey, PlistValue::real(57)},
                 {kLGClockVariableFontSizeScaleKey, PlistValue::real(1.5)}});
    EXPECT_NE(LGClockVariableFont(84, 350), softer);
}

TEST_F(ClockVariableFont, CacheKeepsAtMostItsLimit) {
    place(kBundleFontPath, clockFont());
    const text::FontRef first = LGClockVariableFont(10, 350);
    for (int i = 1; i < 300; ++i) ASSERT_TRUE(LGClockVariableFont(10 + i, 350));
    EXPECT_EQ(lg::detail::clockVariableFontCacheSizeForTesting(), kLGClockVariableFontCacheLimit);
    const text::FontRef again = LGClockVariableFont(10, 350);
    ASSERT_TRUE(again);
    EXPECT_NE(again, first) << "the oldest entry was dropped and made again";
    EXPECT_EQ(*again, *first);
}

TEST_F(ClockVariableFont, EmptyOrUnreadableFileIsLoggedOnceAndNeverReadAgain) {
    const std::string host = root.resolve(kBundleFontPath);
    for (const bool asDirectory : {false, true}) {
        SCOPED_TRACE(asDirectory ? "a directory where the file should be" : "an empty file");
        lg::detail::resetClockVariableFontForTesting();
        std::filesystem::remove_all(host);
        if (asDirectory) {
            std::filesystem::create_directories(host);
        } else {
            writeFileText(host, "");
        }
        const size_t before = fontLog().size();

        EXPECT_EQ(LGClockVariableFont(84, 350), nullptr);
        ASSERT_EQ(fontLog().size(), before + 1);
        if (asDirectory) {
            // A directory is no candidate at all: the search passes it by and finds nothing.
            EXPECT_THAT(fontLog().back(), HasSubstr("clock variable font path not found"));
        } else {
            EXPECT_EQ(
                fontLog().back(),
                std::string("[Quorvane] clock variable font read failed path=") + kBundleFontPath);
        }

        // A good file appearing later is not picked up: the failure is final for the process.
        std::filesystem::remove_all(host);
        place(kBundleFontPath, clockFont());
        EXPECT_EQ(LGClockVariableFont(84, 350), nullptr);
        EXPECT_EQ(LGClockVariableFont(90, 200), nullptr);
        EXPECT_EQ(fontLog().size(), before + 1);
        EXPECT_EQ(LGClockVariableFontPostScriptName(), "");
    }
}

TEST_F(ClockVariableFont, MissingOrBrokenFontFailsForGood) {
    EXPECT_EQ(LGClockVariableFont(84, 350), nullptr);
    EXPECT_EQ(LGClockVariableFont(84, 350), nullptr);
    ASSERT_EQ(fontLog().size(), 1u) << "the search logs once";
    EXPECT_THAT(fontLog()[0], HasSubstr("clock variable font path not found candidates=("));
    EXPECT_THAT(fontLog()[0], HasSubstr(kBundleFontPath));

    lg::detail::resetClockVariableFontForTesting();
    writeFileText(root.resolve(kBundleFontPath), "OTTO but not a font at all");
    EXPECT_EQ(LGClockVariableFont(84, 350), nullptr);
    EXPECT_EQ(LGClockVariableFont(84, 350), nullptr);
    EXPECT_THAT(logLines("CGFont"),
                ElementsAre(std::string("[Quorvane] clock variable font CGFont create failed "
                                        "path=") +
                            kBundleFontPath));
}

TEST_F(ClockVariableFont, NameClashAndMissingAxesAreLoggedAndLoadingCarriesOn) {
    // Another font already holds the PostScript name: registration fails, instances still come
    // from the bundle's file.
    std::string reason;
    ASSERT_EQ(text::registerFontFile(clockFont(), &reason), "SFAdaptiveSoftNumeric-Regular");
    place(kBundleFontPath, clockFont());
    const text::FontRef font = LGClockVariableFont(84, 200);
    text::unregisterFont("SFAdaptiveSoftNumeric-Regular");
    ASSERT_TRUE(font);
    EXPECT_EQ(font->variations().at(kHght), 200);
    const auto registerLines = logLines("register failed");
    ASSERT_EQ(registerLines.size(), 1u);
    EXPECT_THAT(registerLines[0], HasSubstr("postscript=SFAdaptiveSoftNumeric-Regular error="));

    // A font without axes: logged, and every value passes through unclamped.
    const std::string staticFont = "/usr/share/fonts/truetype/quicksand/Quicksand-Bold.ttf";
    if (!std::filesystem::exists(staticFont)) GTEST_SKIP() << "fonts-quicksand is not installed";
    lg::detail::resetClockVariableFontForTesting();
    place(kBundleFontPath, staticFont);
    const text::FontRef plain = LGClockVariableFont(84, 350);
    ASSERT_TRUE(plain);
    EXPECT_THAT(logLines("has no variation axes"),
                ElementsAre("[Quorvane] clock variable font has no variation axes "
                            "postscript=Quicksand-Bold"));
    EXPECT_EQ(LGClockClampAxis(kLGClockAxisWeight, 2000), 2000);
    EXPECT_THAT(LGClockVariableFontRequestFor(84, 350)->variations, IsEmpty());
}

TEST_F(ClockVariableFont, SizeThatMakesNoFontIsLoggedAndNotCached) {
    place(kBundleFontPath, clockFont());
    EXPECT_EQ(LGClockVariableFont(0, 350), nullptr);
    EXPECT_EQ(LGClockVariableFont(0, 350), nullptr);
    const auto lines = logLines("descriptor create failed");
    ASSERT_EQ(lines.size(), 2u) << "each failing request is reported";
    EXPECT_EQ(lines[0],
              "[Quorvane] clock variable CTFont descriptor create failed "
              "postscript=SFAdaptiveSoftNumeric-Regular size=0.00 "
              "variations={HGHT = 350.00; SOFT = 56.00; wdth = 100.00; wght = 750.00}");
    EXPECT_EQ(lg::detail::clockVariableFontCacheSizeForTesting(), 0u);
    EXPECT_TRUE(LGClockVariableFont(1, 350));
}

TEST(CountLimitedCache, StoringBeyondTheLimitDropsTheLeastRecentlyUsed) {
    lg::detail::LGCountLimitedCache<std::string, int> cache(2);
    cache.store("a", 1);
    cache.store("b", 2);
    EXPECT_EQ(cache.find("a"), 1);  // "b" is now the least recently used
    cache.store("c", 3);
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache.find("b"), std::nullopt);
    EXPECT_EQ(cache.find("a"), 1);
    EXPECT_EQ(cache.find("c"), 3);

    cache.store("a", 10);  // replacing refreshes, never grows
    cache.store("d", 4);
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache.find("a"), 10);
    EXPECT_EQ(cache.find("c"), std::nullopt);
}

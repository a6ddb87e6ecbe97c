#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/text/Font.h"
#include "platform/text/FontRegistry.h"
#include "platform/text/detail/FontFace.h"

using text::Font;
using text::FontDescriptor;
using text::FontDesign;
namespace FontWeight = text::FontWeight;

namespace {

double wghtOf(const Font& font) {
    return font.variations().at(text::kWeightAxis);
}

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string systemFontPath() {
    return Font::systemFont(12)->face()->path();
}

}  // namespace

TEST(FontWeight, NamedWeightsLandOnTheHundredsAndBetweenIsLinear) {
    EXPECT_DOUBLE_EQ(text::wghtForWeight(FontWeight::UltraLight), 100);
    EXPECT_DOUBLE_EQ(text::wghtForWeight(FontWeight::Regular), 400);
    EXPECT_DOUBLE_EQ(text::wghtForWeight(FontWeight::Medium), 500);
    EXPECT_DOUBLE_EQ(text::wghtForWeight(FontWeight::Heavy), 800);
    EXPECT_DOUBLE_EQ(text::wghtForWeight(FontWeight::Black), 900);
    EXPECT_NEAR(text::wghtForWeight(0.35), 650, 1e-9) << "halfway from semibold to bold";
    EXPECT_DOUBLE_EQ(text::wghtForWeight(1.0), 900);
    EXPECT_DOUBLE_EQ(text::wghtForWeight(-1.0), 100);
    EXPECT_DOUBLE_EQ(text::wghtForWeight(NAN), 400);
    for (double w : {-0.8, -0.5, 0.0, 0.1, 0.3, 0.5, 0.62}) {
        EXPECT_NEAR(text::weightForWght(text::wghtForWeight(w)), w, 1e-9) << w;
    }
}

TEST(Font, SystemFontWeightsSetTheInstalledVariableFontsWeightAxis) {
    auto regular = Font::systemFont(17);
    ASSERT_NE(regular, nullptr);
    ASSERT_NE(regular->face()->axis(text::kWeightAxis), nullptr)
        << "the system UI font is expected to be the variable sans font";
    EXPECT_EQ(wghtOf(*regular), 400);
    EXPECT_EQ(wghtOf(*Font::boldSystemFont(17)), 700);
    EXPECT_EQ(wghtOf(*Font::systemFont(17, FontWeight::Heavy)), 800);
    EXPECT_NEAR(Font::systemFont(17, FontWeight::Semibold)->weight(), FontWeight::Semibold, 1e-9);
    EXPECT_EQ(Font::systemFont(0)->pointSize(), 12) << "no size means the default size";
    EXPECT_EQ(Font::systemFont(-3)->pointSize(), 12);

    // Ascent and descent are distances on either side of the baseline.
    EXPECT_GT(regular->ascent(), 0);
    EXPECT_GT(regular->descent(), 0);
    EXPECT_GE(regular->leading(), 0);
    EXPECT_DOUBLE_EQ(regular->lineHeight(),
                     regular->ascent() + regular->descent() + regular->leading());
    EXPECT_GT(regular->lineHeight(), 17 * 0.9);
    EXPECT_LT(regular->lineHeight(), 17 * 1.6);
    EXPECT_GT(regular->capHeight(), 0);
    EXPECT_LT(regular->capHeight(), regular->ascent());
}

TEST(Font, RoundedDesignKeepsTheWeightInAnotherFamily) {
    auto heavy = Font::systemFont(40, FontWeight::Heavy);
    auto roundedDescriptor = heavy->descriptor().withDesign(FontDesign::Rounded);
    if (!roundedDescriptor) GTEST_SKIP() << "no rounded family installed";
    auto rounded = Font::create(*roundedDescriptor, 40);
    ASSERT_NE(rounded, nullptr);
    EXPECT_NE(rounded->familyName(), heavy->familyName());
    EXPECT_EQ(rounded->design(), FontDesign::Rounded);
    EXPECT_EQ(rounded->pointSize(), 40);
    auto light = Font::create(
        *FontDescriptor::system(FontWeight::Light).withDesign(FontDesign::Rounded), 40);
    EXPECT_LT(light->weight(), rounded->weight()) << "the nearest installed weight is chosen";
}

TEST(Font, DescriptorMakesTheSameFontAgain) {
    auto font = Font::systemFont(30, FontWeight::Semibold);
    auto again = Font::create(font->descriptor(), 30);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(*again, *font);
    EXPECT_NE(again.get(), font.get());
    EXPECT_FALSE(*Font::create(font->descriptor(), 31) == *font);
    EXPECT_EQ(*font->withSize(31), *Font::create(font->descriptor(), 31));
    EXPECT_FALSE(*Font::systemFont(30, FontWeight::Bold) == *font);

    auto heavier = Font::create(font->descriptor().withWeight(FontWeight::Black), 30);
    EXPECT_EQ(wghtOf(*heavier), 900) << "a new weight replaces the axis value it came with";
    EXPECT_EQ(Font::create(FontDescriptor::named("NoSuchFont-Anywhere"), 12), nullptr);
}

TEST(Font, VariableAxesAreListedAndInstancesClampToThem) {
    auto font = Font::systemFont(50);
    const auto axes = font->variationAxes();
    auto wght =
        std::find_if(axes.begin(), axes.end(), [](const auto& a) { return a.tag == 0x77676874u; });
    ASSERT_NE(wght, axes.end());
    EXPECT_EQ(wght->name, "Weight");
    EXPECT_EQ(wght->minimum, 100);
    EXPECT_EQ(wght->defaultValue, 400);
    EXPECT_EQ(wght->maximum, 900);

    auto extreme =
        font->withVariations({{text::kWeightAxis, 2000}, {text::axisTag("ZZZZ"), 5}}, 60);
    EXPECT_EQ(wghtOf(*extreme), 900);
    EXPECT_EQ(extreme->pointSize(), 60);
    EXPECT_EQ(extreme->variations().count(text::axisTag("ZZZZ")), 0u) << "unknown axes ignored";
    EXPECT_EQ(*font->withVariations({{text::kWeightAxis, 400}}, 50), *font)
        << "the default value asked for explicitly is the same instance";
}

TEST(Font, MissingOrDamagedFontFilesGiveNullAndAReason) {
    std::string dirPattern = (std::filesystem::temp_directory_path() / "qv-font-XXXXXX").string();
    const std::filesystem::path dir = mkdtemp(dirPattern.data());
    auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    };
    const std::vector<uint8_t> real = readAll(systemFontPath());
    ASSERT_GT(real.size(), 10000u);

    std::string reason;
    EXPECT_EQ(Font::fromFile((dir / "absent.otf").string(), 12, &reason), nullptr);
    EXPECT_NE(reason.find("absent.otf"), std::string::npos) << reason;
    EXPECT_EQ(Font::fromFile(dir.string(), 12, &reason), nullptr) << "a directory";
    EXPECT_EQ(Font::fromFile(write("empty.otf", {}), 12, &reason), nullptr);
    EXPECT_NE(reason.find("empty"), std::string::npos) << reason;
    EXPECT_EQ(Font::fromFile(write("text.otf", {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'}),
                             12, &reason),
              nullptr);
    EXPECT_NE(reason.find("not an OpenType"), std::string::npos) << reason;
    // A real font cut short: its table directory survives, the tables do not.
    for (std::size_t keep : {12u, 400u, 5000u}) {
        std::vector<uint8_t> cut(real.begin(), real.begin() + std::ptrdiff_t(keep));
        reason.clear();
        EXPECT_EQ(Font::fromFile(write("cut.otf", cut), 12, &reason), nullptr) << keep;
        EXPECT_FALSE(reason.empty());
    }
    EXPECT_EQ(Font::fromData({}, 12, &reason), nullptr);
    EXPECT_NE(Font::fromData(real, 12, &reason), nullptr) << reason;
    std::filesystem::remove_all(dir);
}

TEST(Font, RegisteredFontsAreFoundByNameAheadOfInstalledOnes) {
    const std::vector<uint8_t> bytes = readAll(systemFontPath());
    auto loaded = Font::fromData(bytes, 20);
    ASSERT_NE(loaded, nullptr);
    const std::string name = loaded->postScriptName();
    ASSERT_FALSE(name.empty());

    std::string reason;
    ASSERT_TRUE(text::registerFont(*loaded, &reason)) << reason;
    auto found = Font::create(FontDescriptor::named(name), 20);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->face(), loaded->face()) << "the registered bytes, not the installed file";
    EXPECT_EQ(*found, *loaded);

    auto instance =
        Font::create(FontDescriptor::named(name).withVariations({{text::kWeightAxis, 650}}), 20);
    EXPECT_EQ(wghtOf(*instance), 650);

    EXPECT_FALSE(text::registerFont(*loaded, &reason));
    EXPECT_NE(reason.find("already registered"), std::string::npos) << reason;
    EXPECT_TRUE(text::unregisterFont(name));
    EXPECT_FALSE(text::unregisterFont(name));
    EXPECT_TRUE(text::registerFontFile("/nonexistent/font.otf", &reason).empty());
    EXPECT_FALSE(reason.empty());
}

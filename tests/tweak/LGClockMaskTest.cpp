// The clock's fonts, text geometry, mask and container.
#include <gtest/gtest.h>

#include <cmath>

#include "ClockTestFixture.h"
#include "platform/graphics/ImageContext.h"
#include "platform/text/FontWeight.h"
#include "platform/ui/Layer.h"
#include "tweak/LGClockFonts.h"
#include "tweak/LGClockMask.h"
#include "tweak/LGClockOverlayContainer.h"
#include "tweak/LGClockTextGeometry.h"

using base::PlistValue;
using base::Rect;

namespace {

// The pixel box of everything with alpha above half, in pixels; empty when nothing is inked.
struct InkBox {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    bool empty() const { return maxX < 0; }
};

InkBox inkOf(const graphics::Image& image) {
    InkBox box;
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            if (image.pixelAt(x, y).a < 128) continue;
            box.minX = std::min(box.minX, x);
            box.maxX = std::max(box.maxX, x);
            box.minY = std::min(box.minY, y);
            box.maxY = std::max(box.maxY, y);
        }
    }
    return box;
}

// The line drawn `copies` times with its origin at (x, baseline) of a y-up image of `size`: the
// mask's reference, made directly with the text engine.
graphics::ImageRef referenceMask(const std::string& text, const text::FontRef& font,
                                 base::Size size, double x, double baseline, int copies = 1) {
    auto image = graphics::ImageContext::begin(size, false, 3);
    image->context().translate(0, size.height);
    image->context().scale(1, -1);
    for (int i = 0; i < copies; ++i) {
        image->context().setTextPosition({x, baseline});
        LGClockLayoutLine(text, font)->draw(image->context());
    }
    return image->image();
}

int differingAlpha(const graphics::Image& a, const graphics::Image& b) {
    int count = 0;
    for (int y = 0; y < a.pixelHeight(); ++y) {
        for (int x = 0; x < a.pixelWidth(); ++x) count += a.pixelAt(x, y).a != b.pixelAt(x, y).a;
    }
    return count;
}

}  // namespace

TEST_F(ClockTest, MaskPlacesTheLineByAlignmentAndTopInset) {
    buildModern();
    setSettings({{"Quorvane.Clock.VariableFont.Enabled", PlistValue::boolean(false)}});
    ASSERT_EQ(LGClockVariableFontEmbolden(), 0);
    LGClockDisplayState state;
    state.text = "10:09";
    state.font = text::Font::systemFont(60, text::FontWeight::Bold);
    state.topInset = 6;
    const Rect rect{0, 0, 300, 100};
    auto line = LGClockLayoutLine(state.text, state.font);
    const double ascent = line->typographicBounds().ascent;
    const double baseline = std::floor(100 - 6 - ascent);

    state.alignment = 1;
    auto centred = LGClockMaskImage(state, rect, lock->clockView().get());
    ASSERT_NE(centred, nullptr);
    EXPECT_EQ(centred->pixelWidth(), 900);
    const double x = std::floor((300 - line->width()) / 2);
    EXPECT_EQ(
        differingAlpha(*centred, *referenceMask(state.text, state.font, rect.size, x, baseline)),
        0);

    state.alignment = 0;
    auto left = LGClockMaskImage(state, rect, lock->clockView().get());
    EXPECT_EQ(differingAlpha(*left, *referenceMask(state.text, state.font, rect.size, 0, baseline)),
              0);
    // And the ink sits where the glyph outlines say: its top a whole inset below the image's top.
    const InkBox ink = inkOf(*left);
    EXPECT_NEAR(ink.minX / 3.0, line->glyphPathBounds().minX(), 0.7);
    EXPECT_NEAR(ink.minY / 3.0, 100 - (baseline + line->glyphPathBounds().maxY()), 0.7);

    state.alignment = 2;
    auto right = LGClockMaskImage(state, rect, lock->clockView().get());
    EXPECT_NEAR(inkOf(*right).maxX / 3.0,
                std::floor(300 - line->width()) + line->glyphPathBounds().maxX(), 0.7);

    // Nothing to draw.
    EXPECT_EQ(LGClockMaskImage(state, {0, 0, 0, 100}, nullptr), nullptr);
    state.text.clear();
    EXPECT_EQ(LGClockMaskImage(state, rect, nullptr), nullptr);
}

TEST_F(ClockTest, EmboldeningThickensTheMaskByItsDistance) {
    buildModern();
    LGClockDisplayState state;
    state.text = "10:09";
    state.font = text::Font::systemFont(60, text::FontWeight::Bold);
    const Rect rect{0, 0, 300, 100};

    setSettings({{"Quorvane.Clock.VariableFont.Weight", PlistValue::real(400)}});
    const InkBox thin = inkOf(*LGClockMaskImage(state, rect, nullptr));
    setSettings({{"Quorvane.Clock.VariableFont.Weight", PlistValue::real(1000)}});
    ASSERT_DOUBLE_EQ(LGClockVariableFontEmbolden(), 2.0);
    const InkBox bold = inkOf(*LGClockMaskImage(state, rect, nullptr));
    // Two points each way, at three pixels a point (a pixel of rounding either side).
    EXPECT_NEAR(thin.minX - bold.minX, 6, 1);
    EXPECT_NEAR(bold.maxX - thin.maxX, 6, 1);
    EXPECT_NEAR(thin.minY - bold.minY, 6, 1);
    EXPECT_NEAR(bold.maxY - thin.maxY, 6, 1);

    // The legacy clock: five copies 0.35 points apart; a negative setting draws them in one place.
    lock.reset();
    buildLegacy();
    auto host = lock->clockView();
    setSettings({{"Quorvane.Clock.LegacyEmbolden", PlistValue::real(-1)}});
    auto single = LGClockMaskImage(state, rect, host.get());
    auto line = LGClockLayoutLine(state.text, state.font);
    const double x = std::floor((300 - line->width()) / 2);
    const double baseline = std::floor(100 - line->typographicBounds().ascent);
    // Five copies on one spot: the same shape, its antialiased rim a little denser.
    EXPECT_EQ(
        differingAlpha(*single, *referenceMask(state.text, state.font, rect.size, x, baseline, 5)),
        0);
    setSettings({{"Quorvane.Clock.LegacyEmbolden", PlistValue::real(1)}});
    const InkBox legacyBold = inkOf(*LGClockMaskImage(state, rect, host.get()));
    const InkBox legacyThin = inkOf(*single);
    EXPECT_NEAR(legacyThin.minX - legacyBold.minX, 3, 1);
    EXPECT_NEAR(legacyBold.maxY - legacyThin.maxY, 3, 1);
}

TEST_F(ClockTest, MaskStringIsWhiteInALayoutFontAndKeepsStyledRunsWithoutTheVariableFont) {
    LGClockDisplayState state;
    state.text = "10:09";
    state.font = text::Font::systemFont(40);
    const auto plain = LGClockMaskAttributedString(state);
    EXPECT_EQ(plain.string(), "10:09");
    const auto attributes = plain.attributesAt(0);
    ASSERT_TRUE(attributes.count(std::string(text::kLayoutFontAttribute)));
    EXPECT_TRUE(std::get<base::Color>(attributes.at(
                    std::string(text::kLayoutForegroundColorAttribute))) == base::Color::white(1));

    setSettings({{"Quorvane.Clock.VariableFont.Enabled", PlistValue::boolean(false)}});
    text::AttributedString styled("10:09");
    auto hours = text::Font::systemFont(50, text::FontWeight::Heavy);
    auto minutes = text::Font::systemFont(30);
    styled.addAttribute(text::kFontAttribute, hours, {0, 2});
    styled.addAttribute(text::kFontAttribute, minutes, {3, 2});
    styled.addAttribute(text::kForegroundColorAttribute, base::Color(1, 0, 0), {0, 5});
    state.attributedText = styled;
    const auto mask = LGClockMaskAttributedString(state);
    auto fontAt = [&](std::size_t i) {
        return std::get<std::shared_ptr<const text::Font>>(
            *mask.attribute(text::kLayoutFontAttribute, i));
    };
    EXPECT_EQ(fontAt(0)->pointSize(), 50);
    EXPECT_EQ(fontAt(2)->pointSize(), 40);  // the colon had no font: the display font
    EXPECT_EQ(fontAt(4)->pointSize(), 30);
    EXPECT_EQ(mask.attribute(text::kFontAttribute, 0), nullptr);
    EXPECT_EQ(mask.attribute(text::kForegroundColorAttribute, 0), nullptr);
    EXPECT_TRUE(std::get<base::Color>(*mask.attribute(text::kLayoutForegroundColorAttribute, 4)) ==
                base::Color::white(1));
}

TEST_F(ClockTest, DisplayFontFollowsTheHostsGenerationAndStyle) {
    buildLegacy();
    auto host = lock->clockView();
    auto label = ui::Label::create();
    label->setFont(text::Font::systemFont(40));
    EXPECT_EQ(LGClockDisplayFont(label.get(), host.get())->pointSize(), 58);
    label->setFont(text::Font::systemFont(60));
    EXPECT_NEAR(LGClockDisplayFont(label.get(), host.get())->pointSize(), 63, 1e-9);
    setSettings({{"Quorvane.Clock.LegacyFontStyle", PlistValue::string("rounded")}});
    EXPECT_EQ(LGClockDisplayFont(label.get(), host.get())->design(), text::FontDesign::Rounded);
    setSettings({{"Quorvane.Clock.LegacyFontStyle", PlistValue::string("ios26")}});
    auto variable = LGClockDisplayFont(label.get(), host.get());
    EXPECT_NEAR(variable->pointSize(), 84, 1e-9);  // 60 × 1.4 in the variable font
    EXPECT_NE(variable->postScriptName(), label->font()->postScriptName());

    lock.reset();
    buildModern();
    host = lock->clockView();
    setSettings({});
    EXPECT_NEAR(LGClockDisplayFont(label.get(), host.get())->pointSize(), 84, 1e-9);
    setSettings({{"Quorvane.Clock.VariableFont.Enabled", PlistValue::boolean(false)}});
    EXPECT_EQ(LGClockDisplayFont(label.get(), host.get()), label->font());
    EXPECT_EQ(LGClockDisplayFont(nullptr, host.get())->pointSize(), 84);  // the fallback font
}

TEST_F(ClockTest, GlassFrameGrowsDownAndSidewaysAroundTheText) {
    setSettings({{"Quorvane.Clock.VariableFont.Weight", PlistValue::real(400)}});
    buildModern();
    auto font = text::Font::systemFont(80);
    const double lineHeight = std::ceil(font->ascent() + font->descent() + font->leading());
    const Rect rect{50, 10, 100, 80};
    const Rect frame = LGClockGlassFrame("10:09", font, nullptr, 1, rect);
    const double h1 = std::max(80.0, lineHeight);
    EXPECT_EQ(frame.height(), 80 + std::ceil(h1 - 80) + std::ceil(h1 * 0.18) + 18);
    EXPECT_EQ(frame.minY(), 10);
    const double width = LGClockTextWidth("10:09", font, nullptr);
    EXPECT_EQ(frame.width(), width + 18);
    EXPECT_EQ(frame.minX(), 50 - std::floor((width + 18 - 100) / 2));
    EXPECT_EQ(LGClockGlassFrame("10:09", font, nullptr, 0, rect).minX(), 50);
    EXPECT_EQ(LGClockGlassFrame("10:09", font, nullptr, 2, rect).maxX(), 150);
    // Heaviest weight: four strokes of two points more width.
    setSettings({{"Quorvane.Clock.VariableFont.Weight", PlistValue::real(1000)}});
    EXPECT_EQ(LGClockGlassFrame("10:09", font, nullptr, 1, rect).width(), width + 18 + 8);
    EXPECT_EQ(LGClockGlassFrame("10:09", font, nullptr, 1, {0, 0, 0, 0}), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(LGClockTextWidth("", font, nullptr), 0);
    EXPECT_EQ(LGClockTextWidth("9", nullptr, nullptr), 0);
}

TEST_F(ClockTest, GlyphBottomIsTheLowestInkOfTheMaskInTheGlassFrame) {
    setSettings({{"Quorvane.Clock.VariableFont.Enabled", PlistValue::boolean(false)}});
    buildModern();
    LGClockDisplayState state;
    state.text = "10:09";
    state.font = text::Font::systemFont(70, text::FontWeight::Bold);
    state.topInset = 4;
    const Rect label{20, 200, 300, 90};
    const Rect frame = LGClockGlassFrame(state.text, state.font, nullptr, 1, label);
    const double bottom = LGClockGlyphBottom(state.text, state.font, nullptr, label, 4);
    const InkBox ink =
        inkOf(*LGClockMaskImage(state, {{0, 0}, frame.size}, lock->clockView().get()));
    EXPECT_NEAR(frame.minY() + (ink.maxY + 1) / 3.0, bottom, 0.7);
    EXPECT_EQ(LGClockGlyphBottom("", state.font, nullptr, label, 4), label.maxY());
}

TEST_F(ClockTest, ContainerIsTheUnclippedPageForModernClocksAndTheSuperviewForLegacyOnes) {
    buildModern();
    auto host = lock->clockView();
    auto font = LGClockDisplayFont(lock->timeLabel().get(), host.get());
    EXPECT_EQ(LGClockOverlayContainer(host, lock->timeLabel(), font), lock->mainPage());
    EXPECT_EQ(LGClockOverlayContainer(host, nullptr, font), host);
    // A page that clips leaves only the fallback: the host's superview.
    lock->mainPage()->setClipsToBounds(true);
    EXPECT_EQ(LGClockOverlayContainer(host, lock->timeLabel(), font), host->superview());

    lock.reset();
    buildLegacy();
    host = lock->clockView();
    host->setClipsToBounds(true);
    auto container = LGClockOverlayContainer(host, lock->timeLabel(), font);
    EXPECT_EQ(container, host->superview());
    EXPECT_FALSE(host->clipsToBounds());
    EXPECT_FALSE(container->layer()->masksToBounds());
}

TEST_F(ClockTest, TintFollowsTheModeAndTheAppearance) {
    buildModern();
    EXPECT_TRUE(LGClockTintColor(nullptr) == base::Color::white(1, 0.3));
    setSettings({{"Quorvane.Clock.TintOverrideMode", PlistValue::string("dark")},
                 {"Quorvane.Clock.DarkTintAlpha", PlistValue::real(0.4)}});
    EXPECT_TRUE(LGClockTintColor(nullptr) == base::Color::white(0, 0.4));
    setSettings({{"Quorvane.Clock.TintOverrideMode", PlistValue::string("system")}});
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    const base::Color dark = LGClockTintColor(lock->clockView().get());
    EXPECT_EQ(dark.alpha(), 0);
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Light);
    EXPECT_TRUE(LGClockTintColor(lock->clockView().get()) == base::Color::white(1, 0.3));
}

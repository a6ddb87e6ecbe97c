#include <gtest/gtest.h>

#include "platform/graphics/ImageContext.h"
#include "platform/text/TextLine.h"

using base::Color;
using graphics::ImageContext;
using text::AttributedString;
using text::Font;
using text::TextLine;

namespace {

AttributedString styled(const std::string& s, std::shared_ptr<const Font> font,
                        Color color = Color::white(1)) {
    return AttributedString(s, {{std::string(text::kLayoutFontAttribute), font},
                                {std::string(text::kLayoutForegroundColorAttribute), color}});
}

// Bounding rows/columns of pixels with any alpha.
struct InkBox {
    int minX = INT32_MAX, minY = INT32_MAX, maxX = -1, maxY = -1;
    long total = 0;  // sum of alpha
    bool empty() const { return maxX < 0; }
};

InkBox inkOf(const graphics::Image& image) {
    InkBox box;
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            const int a = image.pixelAt(x, y).a;
            if (!a) continue;
            box.total += a;
            box.minX = std::min(box.minX, x);
            box.maxX = std::max(box.maxX, x);
            box.minY = std::min(box.minY, y);
            box.maxY = std::max(box.maxY, y);
        }
    }
    return box;
}

long alphaInRows(const graphics::Image& image, int from, int to) {
    long sum = 0;
    for (int y = from; y <= to; ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) sum += image.pixelAt(x, y).a;
    }
    return sum;
}

// Draws the line into a flipped context (y up), baseline `baseline` points above the bottom.
std::shared_ptr<const graphics::Image> drawFlipped(const TextLine& line, base::Size size,
                                                   base::Point origin) {
    auto ctx = ImageContext::begin(size, false, 1);
    ctx->context().translate(0, size.height);
    ctx->context().scale(1, -1);
    ctx->context().setTextPosition(origin);
    line.draw(ctx->context());
    return ctx->image();
}

}  // namespace

TEST(TextLine, ClockDigitsInkLiesInsideTheTypographicBounds) {
    auto line = TextLine::create(styled("10:09", Font::boldSystemFont(84)));
    const auto bounds = line->typographicBounds();
    const base::Rect ink = line->glyphPathBounds();
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(ink.height(), 84 * 0.5);
    EXPECT_GE(ink.minX(), 0);
    EXPECT_LE(ink.maxX(), bounds.width);
    EXPECT_GE(ink.minY(), -bounds.descent);
    EXPECT_LE(ink.maxY(), bounds.ascent);
    EXPECT_GE(ink.minY(), -1.5) << "digits sit on the baseline";
    EXPECT_EQ(bounds.ascent, Font::boldSystemFont(84)->ascent());
}

TEST(TextLine, HeavierWeightInstanceHasAWiderInkBox) {
    auto base = Font::systemFont(100);
    auto light = base->withVariations({{text::kWeightAxis, 300}}, 100);
    auto heavy = base->withVariations({{text::kWeightAxis, 800}}, 100);
    auto lightLine = TextLine::create(styled("10:09", light));
    auto heavyLine = TextLine::create(styled("10:09", heavy));
    EXPECT_GT(heavyLine->glyphPathBounds().width(), lightLine->glyphPathBounds().width());
    EXPECT_GT(heavyLine->width(), lightLine->width());

    // The drawn pixels follow the instance too, not only the measurements.
    const base::Size size{400, 140};
    auto lightInk = inkOf(*drawFlipped(*lightLine, size, {5, 30}));
    auto heavyInk = inkOf(*drawFlipped(*heavyLine, size, {5, 30}));
    EXPECT_GT(heavyInk.total, lightInk.total * 1.3);
}

TEST(TextLine, FlippedContextDrawsTextUpright) {
    auto line = TextLine::create(styled("T", Font::boldSystemFont(40)));
    auto image = drawFlipped(*line, {60, 60}, {10, 10});
    const InkBox box = inkOf(*image);
    ASSERT_FALSE(box.empty());
    const int band = (box.maxY - box.minY) / 4;
    // A 'T' carries its bar at the top.
    EXPECT_GT(alphaInRows(*image, box.minY, box.minY + band),
              2 * alphaInRows(*image, box.maxY - band, box.maxY));
    // Baseline 10 points above the bottom edge: the stem ends just there.
    EXPECT_NEAR(box.maxY, 60 - 10 - 1, 1);

    // Unflipped, the same call draws it upside down, as the platform's text does.
    auto plain = ImageContext::begin({60, 60}, false, 1);
    plain->context().setTextPosition({10, 10});
    line->draw(plain->context());
    auto upside = plain->image();
    const InkBox flipped = inkOf(*upside);
    EXPECT_LT(alphaInRows(*upside, flipped.minY, flipped.minY + band),
              alphaInRows(*upside, flipped.maxY - band, flipped.maxY));
}

TEST(TextLine, DrawsAtTheTextPositionInTheRunsColour) {
    auto font = Font::boldSystemFont(30);
    AttributedString s("H", {{std::string(text::kFontAttribute), font},
                             {std::string(text::kForegroundColorAttribute), Color(0, 0, 1, 1)}});
    auto blue = drawFlipped(*TextLine::create(s), {80, 40}, {5, 5});
    s.addAttribute(text::kLayoutForegroundColorAttribute, Color(1, 0, 0, 1), {0, 1});
    auto red = drawFlipped(*TextLine::create(s), {80, 40}, {25, 5});

    const InkBox a = inkOf(*blue), b = inkOf(*red);
    EXPECT_EQ(b.minX - a.minX, 20) << "moving the text position moves the ink";
    EXPECT_EQ(a.minY, b.minY);
    const auto centre = [](const InkBox& k) {
        return std::pair{k.minX + 1, (k.minY + k.maxY) / 2};
    };
    auto [bx, by] = centre(a);
    EXPECT_EQ(blue->pixelAt(bx, by), (graphics::Pixel{255, 0, 0, 255})) << "toolkit colour used";
    auto [rx, ry] = centre(b);
    EXPECT_EQ(red->pixelAt(rx, ry), (graphics::Pixel{0, 0, 255, 255})) << "layout colour wins";
}

TEST(TextLine, ChineseFallsBackPerCharacterAndDrawsPixels) {
    auto latin = Font::systemFont(28);
    ASSERT_FALSE(latin->hasGlyph(U'设'));
    auto line = TextLine::create(styled("Quorvane 设置", latin));
    ASSERT_EQ(line->runs().size(), 2u);
    EXPECT_EQ(line->runs()[0].font, latin);
    const auto& cjk = line->runs()[1];
    EXPECT_TRUE(cjk.font->hasGlyph(U'设'));
    EXPECT_EQ(cjk.font->pointSize(), 28);
    EXPECT_EQ(cjk.range.location, 9u) << "the space stays with the Latin text";
    EXPECT_GT(cjk.positions.front().x, line->runs()[0].positions.back().x);
    EXPECT_GT(line->typographicBounds().ascent, 0);

    auto image = drawFlipped(*TextLine::create(styled("设置", latin)), {80, 40}, {2, 8});
    const InkBox ink = inkOf(*image);
    ASSERT_FALSE(ink.empty());
    EXPECT_GT(ink.maxX - ink.minX, 40) << "two full-width characters";
}

TEST(TextLine, EmptyBlankAndControlTextLeavesNoInk) {
    auto font = Font::systemFont(20);
    auto empty = TextLine::create(AttributedString());
    EXPECT_EQ(empty->width(), 0);
    EXPECT_TRUE(empty->glyphPathBounds().isNull());
    EXPECT_EQ(empty->typographicBounds().ascent, 0);

    auto blank = TextLine::create(styled("   ", font));
    EXPECT_GT(blank->width(), 0);
    EXPECT_TRUE(blank->glyphPathBounds().isNull());

    auto withNewline = TextLine::create(styled("1\n", font));
    EXPECT_EQ(withNewline->width(), TextLine::create(styled("1", font))->width());
    auto invalid = TextLine::create(styled(std::string("\xC3\x28\xFF"), font));
    EXPECT_GT(invalid->width(), 0) << "malformed UTF-8 shows replacement glyphs, never a crash";

    auto noFont = TextLine::create(AttributedString("x"));
    ASSERT_EQ(noFont->runs().size(), 1u);
    EXPECT_EQ(noFont->runs()[0].font->pointSize(), 12) << "unstyled text uses the 12-point font";
    EXPECT_EQ(noFont->runs()[0].color, Color::black());
}

// The extent of the glyph origins of the runs showing bytes [from, to) of the line's string.
struct Span {
    double minX = 1e9, maxX = -1e9;
};
Span glyphSpan(const TextLine& line, std::size_t from, std::size_t to) {
    Span span;
    for (const auto& run : line.runs()) {
        if (run.range.location < from || run.range.location >= to) continue;
        for (const auto& p : run.positions) {
            span.minX = std::min(span.minX, p.x);
            span.maxX = std::max(span.maxX, p.x);
        }
    }
    return span;
}

// Regression (fault 9): right-to-left text was placed in logical order, so the words of an
// Arabic or Hebrew line came out reversed. Runs are placed by the bidirectional algorithm.
TEST(TextLine, RightToLeftWordsArePlacedInVisualOrder) {
    const auto font = Font::systemFont(20);
    const std::string first = "\u05D0\u05D1\u05D2";          // the line's first word...
    const std::string text = first + " \u05D3\u05D4\u05D5";  // ...and its second, after a space
    AttributedString string = styled(text, font, Color::white(1));
    string.addAttribute(text::kLayoutForegroundColorAttribute, Color::black(),
                        {first.size(), text.size() - first.size()});
    const auto line = TextLine::create(string);
    const Span firstWord = glyphSpan(*line, 0, first.size());
    const Span secondWord = glyphSpan(*line, first.size(), text.size());
    ASSERT_LE(firstWord.minX, firstWord.maxX);
    ASSERT_LE(secondWord.minX, secondWord.maxX);
    EXPECT_LT(secondWord.maxX, firstWord.minX)
        << "the first word is on the right, where reading starts";

    // In a paragraph that starts left to right, the Latin word stays first and the Hebrew one
    // follows it.
    const std::string mixedText = "abc " + first;
    const auto mixed = TextLine::create(styled(mixedText, font));
    EXPECT_LT(glyphSpan(*mixed, 0, 4).maxX, glyphSpan(*mixed, 4, mixedText.size()).minX);

    // Text with nothing right to left is laid out as before: one run.
    EXPECT_EQ(TextLine::create(styled("12:34 \u00e9t\u00e9", font))->runs().size(), 1u);
}

#include <gtest/gtest.h>

#include "platform/text/AttributedString.h"

using base::Color;
using text::AttributedString;
using text::AttributeValue;
using text::Font;
using text::TextRange;

namespace {

struct Stretch {
    bool present;
    TextRange range;
};

std::vector<Stretch> stretches(const AttributedString& s, std::string_view name) {
    std::vector<Stretch> out;
    s.enumerateAttribute(name, {0, s.length()}, [&](const AttributeValue* v, TextRange r) {
        out.push_back({v != nullptr, r});
    });
    return out;
}

}  // namespace

TEST(AttributedString, EnumerationVisitsStretchesWithAndWithoutTheAttribute) {
    auto font = Font::systemFont(20);
    AttributedString s("10:09 am");
    s.addAttribute(text::kFontAttribute, font, {0, 2});
    s.addAttribute(text::kFontAttribute, Font::systemFont(20), {3, 2});  // equal font, new object
    s.addAttribute(text::kForegroundColorAttribute, Color(1, 0, 0, 1), {0, 8});

    const auto seen = stretches(s, text::kFontAttribute);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[0].present);
    EXPECT_EQ(seen[0].range, (TextRange{0, 2}));
    EXPECT_FALSE(seen[1].present) << "the ':' has no font";
    EXPECT_EQ(seen[1].range, (TextRange{2, 1}));
    EXPECT_EQ(seen[2].range, (TextRange{3, 2}));
    EXPECT_FALSE(seen[3].present);
    EXPECT_EQ(seen[3].range, (TextRange{5, 3}));

    // Only the colour differs nowhere, so it is one stretch whatever the fonts do.
    EXPECT_EQ(stretches(s, text::kForegroundColorAttribute).size(), 1u);

    s.addAttribute(text::kFontAttribute, font, {2, 1});
    EXPECT_EQ(stretches(s, text::kFontAttribute).size(), 2u) << "equal fonts by value merge";
    TextRange effective;
    ASSERT_NE(s.attribute(text::kFontAttribute, 4, &effective), nullptr);
    EXPECT_EQ(effective, (TextRange{0, 5}));
}

TEST(AttributedString, RangesAreClippedAndWidenedToWholeCharacters) {
    AttributedString s("a设b");  // '设' is bytes 1…3
    s.addAttribute("k", 1.0, {2, 1});
    TextRange effective;
    ASSERT_NE(s.attribute("k", 1, &effective), nullptr);
    EXPECT_EQ(effective, (TextRange{1, 3})) << "never half a character";

    s.addAttribute("k", 2.0, {4, 1000});
    EXPECT_EQ(std::get<double>(*s.attribute("k", 4)), 2.0);
    s.addAttribute("k", 3.0, {99, 5});  // past the end: nothing
    EXPECT_EQ(s.runs().size(), 3u);
    EXPECT_EQ(s.attribute("k", 99), nullptr);
    EXPECT_TRUE(s.attributesAt(99).empty());

    s.removeAttribute("k", {0, s.length()});
    EXPECT_EQ(s.runs().size(), 1u) << "spans without differences merge";
}

// The clock's mask conversion: toolkit fonts become layout fonts run by run, colours become white.
TEST(AttributedString, CopiesConvertRunByRunWithoutTouchingTheOriginal) {
    auto hourFont = Font::systemFont(80, text::FontWeight::Bold);
    auto minuteFont = Font::systemFont(80, text::FontWeight::Light);
    AttributedString label("10:09");
    label.addAttribute(text::kFontAttribute, hourFont, {0, 2});
    label.addAttribute(text::kFontAttribute, minuteFont, {3, 2});
    label.addAttribute(text::kForegroundColorAttribute, Color(0, 0, 1, 1), {0, 5});
    const AttributedString original = label;

    AttributedString mask = label;
    mask.enumerateAttribute(
        text::kFontAttribute, {0, mask.length()}, [&](const AttributeValue* v, TextRange r) {
            auto font = v ? std::get<std::shared_ptr<const Font>>(*v) : Font::boldSystemFont(84);
            mask.removeAttribute(text::kFontAttribute, r);
            mask.addAttribute(text::kLayoutFontAttribute,
                              Font::create(font->descriptor(), font->pointSize()), r);
        });
    mask.removeAttribute(text::kForegroundColorAttribute, {0, mask.length()});
    mask.addAttribute(text::kLayoutForegroundColorAttribute, Color::white(1), {0, mask.length()});

    EXPECT_EQ(label, original);
    EXPECT_EQ(stretches(mask, text::kFontAttribute).front().present, false);
    const auto fonts = stretches(mask, text::kLayoutFontAttribute);
    ASSERT_EQ(fonts.size(), 3u) << "hour, colon (fallback font), minutes keep their own fonts";
    EXPECT_EQ(
        *std::get<std::shared_ptr<const Font>>(*mask.attribute(text::kLayoutFontAttribute, 0)),
        *hourFont);
    EXPECT_EQ(
        *std::get<std::shared_ptr<const Font>>(*mask.attribute(text::kLayoutFontAttribute, 4)),
        *minuteFont);
}

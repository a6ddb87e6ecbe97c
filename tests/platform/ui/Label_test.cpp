#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"

using ui::Label;

namespace {
void (*previousSetText)(runtime::Object*, runtime::SEL, const std::string&) = nullptr;
std::vector<std::string> seenTexts;
void recordText(runtime::Object* self, runtime::SEL cmd, const std::string& text) {
    seenTexts.push_back(static_cast<ui::View*>(self)->className() + "=" + text);
    previousSetText(self, cmd, text);
}

class SystemLabel : public Label {
    QV_OBJECT(SystemLabel, Label);
};
}  // namespace

QV_DEFINE_CLASS(SystemLabel, "QVTestAnimatingLabel");

TEST_F(UiTest, TextAndAttributedTextReplaceEachOther) {
    auto label = Label::create();
    EXPECT_EQ(label->attributedText(), std::nullopt);
    ASSERT_NE(label->font(), nullptr);
    EXPECT_EQ(label->font()->pointSize(), 17);

    label->setText("12:34");
    auto styled = label->attributedText();
    ASSERT_TRUE(styled.has_value());
    EXPECT_EQ(styled->string(), "12:34");
    EXPECT_NE(styled->attribute(text::kFontAttribute, 0), nullptr);

    text::AttributedString custom(
        "9:41", {{std::string(text::kForegroundColorAttribute), base::Color(1, 0, 0)}});
    label->setAttributedText(custom);
    EXPECT_EQ(label->text(), "9:41");
    EXPECT_EQ(*label->attributedText(), custom);

    // Plain text drops the attributed string's own colour for the label's.
    label->setText("10:00");
    const auto plain = label->attributedText();
    EXPECT_EQ(plain->string(), "10:00");
    const auto* color = plain->attribute(text::kForegroundColorAttribute, 0);
    ASSERT_NE(color, nullptr);
    EXPECT_EQ(std::get<base::Color>(*color), base::Color::black());
    label->setAttributedText(std::nullopt);
    EXPECT_EQ(label->text(), "");

    label->setFont(text::Font::boldSystemFont(84));
    EXPECT_EQ(label->font()->pointSize(), 84);
    label->setFont(nullptr);
    EXPECT_EQ(label->font()->pointSize(), 17);
    EXPECT_FALSE(label->isUserInteractionEnabled());
}

TEST_F(UiTest, LabelSizeFollowsItsTextAndFont) {
    auto label = Label::create();
    label->setText("88:88");
    const base::Size small = label->intrinsicContentSize();
    label->setFont(text::Font::systemFont(40));
    const base::Size big = label->intrinsicContentSize();
    EXPECT_GT(small.width, 0);
    EXPECT_GT(big.width, small.width * 2);
    EXPECT_GT(big.height, small.height * 2);
    label->sizeToFit();
    EXPECT_EQ(label->bounds().size, big);
}

TEST_F(UiTest, HookedLabelSetterSeesSubclassesByName) {
    ScopedHook hook("UILabel", Label::kSetText.selector(), &recordText, &previousSetText);
    ASSERT_TRUE(hook.installed());
    seenTexts.clear();
    auto plain = Label::create();
    auto animating = std::make_shared<SystemLabel>();
    plain->setText("a");
    animating->setText("b");
    EXPECT_EQ(seenTexts, (std::vector<std::string>{"UILabel=a", "QVTestAnimatingLabel=b"}));
    EXPECT_EQ(animating->text(), "b");
}

TEST_F(UiTest, ImageViewTakesItsImagesSize) {
    std::vector<uint8_t> pixels(4 * 6 * 3, 255);
    auto image = graphics::Image::adoptPixels(pixels, 6, 3, 3.0);
    ASSERT_NE(image, nullptr);
    auto view = ui::ImageView::create(image);
    EXPECT_EQ(view->frame(), (base::Rect{0, 0, 2, 1}));
    EXPECT_EQ(view->layer()->contents(), image);
    view->setImage(nullptr);
    EXPECT_EQ(view->intrinsicContentSize().width, ui::View::kNoIntrinsicMetric);
}

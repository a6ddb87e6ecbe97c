#include "platform/ui/Label.h"

#include <cmath>

#include "platform/ui/Layer.h"

namespace ui {

QV_DEFINE_CLASS(Label, "UILabel");

namespace {
// The label colour: black in the light appearance, white in the dark one.
base::Color labelColor() {
    return base::Color::dynamic(base::Color::black(), base::Color::white(1));
}
}  // namespace

void Label::registerMethods(runtime::MethodList<Label>& methods) {
    methods.add<&Label::setTextDefault>(kSetText)
        .add<&Label::setAttributedTextDefault>(kSetAttributedText)
        .add<&Label::setFontDefault>(kSetFont)
        .add<&Label::setTextColorDefault>(kSetTextColor)
        .add<&Label::sizeThatFitsLabel>(kSizeThatFits)
        .add<&Label::traitsChanged>(kTraitCollectionDidChange);
}

Label::Label() {
    setUp();
}

Label::Label(const base::Rect& frame) : View(frame) {
    setUp();
}

void Label::setUp() {
    font_ = defaultFont();
    textColor_ = labelColor();
    setUserInteractionEnabled(false);
}

std::shared_ptr<Label> Label::create(const base::Rect& frame) {
    return std::make_shared<Label>(frame);
}

text::FontRef Label::defaultFont() {
    static const text::FontRef font = text::Font::systemFont(17);
    return font;
}

std::optional<text::AttributedString> Label::attributedText() const {
    if (attributedText_) return attributedText_;
    if (text_.empty()) return std::nullopt;
    text::Attributes attributes;
    if (font_) attributes.emplace(std::string(text::kFontAttribute), font_);
    attributes.emplace(std::string(text::kForegroundColorAttribute),
                       traitCollection().resolve(textColor_));
    return text::AttributedString(text_, std::move(attributes));
}

void Label::setTextDefault(const std::string& text) {
    if (text == text_ && !attributedText_) return;
    text_ = text;
    attributedText_.reset();
    textDidChange();
}

void Label::setAttributedTextDefault(const std::optional<text::AttributedString>& text) {
    if (!text || text->empty()) {
        if (!attributedText_ && text_.empty()) return;
        attributedText_.reset();
        text_.clear();
    } else {
        if (attributedText_ && *attributedText_ == *text) return;
        attributedText_ = text;
        text_ = text->string();
    }
    textDidChange();
}

void Label::setFontDefault(const text::FontRef& font) {
    text::FontRef f = font ? font : defaultFont();
    if (f == font_ || (f && font_ && *f == *font_)) return;
    font_ = std::move(f);
    textDidChange();
}

void Label::setTextColorDefault(base::Color color) {
    if (color == textColor_) return;
    textColor_ = color;
    lineValid_ = false;
    setNeedsDisplay();
    invalidateIntrinsicContentSize();
}

void Label::setTextAlignment(TextAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
    lines = std::max(lines, 0);
    if (lines == numberOfLines_) return;
    numberOfLines_ = lines;
    setNeedsDisplay();
}

void Label::textDidChange() {
    lineValid_ = false;
    setNeedsDisplay();
    invalidateIntrinsicContentSize();
}

std::shared_ptr<const text::TextLine> Label::textLine() const {
    if (!lineValid_) {
        const auto styled = attributedText();
        line_ = styled ? text::TextLine::create(*styled) : nullptr;
        lineValid_ = true;
    }
    return line_;
}

base::Size Label::intrinsicContentSize() const {
    const auto line = textLine();
    if (!line) return {0, 0};
    const text::TypographicBounds b = line->typographicBounds();
    return {std::ceil(b.width), std::ceil(b.ascent + b.descent + b.leading)};
}

base::Size Label::sizeThatFitsLabel(base::Size) {
    return intrinsicContentSize();
}

void Label::traitsChanged(TraitCollection previous) {
    // The shaped line carries the text colour resolved for the old appearance.
    lineValid_ = false;
    setNeedsDisplay();
    kTraitCollectionDidChange.sendSuper(this, previous);
}

}  // namespace ui

#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/base/Color.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"
#include "platform/text/TextLine.h"
#include "platform/ui/View.h"

namespace ui {

// The values follow the phone's: 0 left, 1 centre, 2 right, 3 justified, 4 natural.
enum class TextAlignment { Left = 0, Center = 1, Right = 2, Justified = 3, Natural = 4 };

// A view that shows one line of text ("UILabel").
//
// The text may be plain, styled with the label's font and colour, or an attributed string that
// carries its own. Setting the text replaces the attributed text; setting the attributed text
// sets the text to its characters. An empty text is the absent text.
class Label : public View {
    QV_OBJECT(Label, View);

  public:
    static inline const runtime::Message<void(const std::string&)> kSetText{"setText:"};
    static inline const runtime::Message<void(const std::optional<text::AttributedString>&)>
        kSetAttributedText{"setAttributedText:"};
    static inline const runtime::Message<void(const text::FontRef&)> kSetFont{"setFont:"};
    static inline const runtime::Message<void(base::Color)> kSetTextColor{"setTextColor:"};

    Label();
    explicit Label(const base::Rect& frame);
    static std::shared_ptr<Label> create(const base::Rect& frame = {});

    const std::string& text() const { return text_; }
    void setText(const std::string& text) { kSetText.send(this, text); }
    // The attributed text as set, or for plain text the text with the label's font and colour;
    // nullopt when there is no text.
    std::optional<text::AttributedString> attributedText() const;
    void setAttributedText(const std::optional<text::AttributedString>& text) {
        kSetAttributedText.send(this, text);
    }
    // Never null while the machine has fonts: nullptr restores the default, the 17-point
    // system font.
    const text::FontRef& font() const { return font_; }
    void setFont(const text::FontRef& font) { kSetFont.send(this, font); }
    const base::Color& textColor() const { return textColor_; }
    void setTextColor(const base::Color& color) { kSetTextColor.send(this, color); }
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment);
    // 0 means as many lines as needed; the layout shows one line either way.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);

    // The shaped line (nullptr without text); rebuilt only after a change.
    std::shared_ptr<const text::TextLine> textLine() const;
    base::Size intrinsicContentSize() const override;

    static text::FontRef defaultFont();

  private:
    static void registerMethods(runtime::MethodList<Label>& methods);
    void setTextDefault(const std::string& text);
    void setAttributedTextDefault(const std::optional<text::AttributedString>& text);
    void setFontDefault(const text::FontRef& font);
    void setTextColorDefault(base::Color color);
    base::Size sizeThatFitsLabel(base::Size size);
    void traitsChanged(TraitCollection previous);
    void textDidChange();
    void setUp();

    std::string text_;
    std::optional<text::AttributedString> attributedText_;
    text::FontRef font_;
    base::Color textColor_;
    TextAlignment alignment_ = TextAlignment::Natural;
    int numberOfLines_ = 1;
    mutable std::shared_ptr<const text::TextLine> line_;
    mutable bool lineValid_ = false;
};

}  // namespace ui

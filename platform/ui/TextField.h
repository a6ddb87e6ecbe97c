#pragma once

#include <memory>
#include <string>

#include "platform/text/Font.h"
#include "platform/ui/Control.h"

namespace ui {

class ImageView;
class Label;

enum class KeyboardType { Default = 0, NumbersAndPunctuation = 2, NumberPad = 4, DecimalPad = 8 };
enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };
enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };

// One line of editable text ("UITextField").
//
// A tap makes the field the first responder (the one that receives typed text; there is one per
// process) and begins editing; typed text is inserted at the end as it arrives, whatever the
// keyboard kind (which is a hint, as pasted text shows on the phone). Each change made by typing
// or by the clear button sends editing-changed; setting the text from code sends nothing.
class TextField : public Control {
    QV_OBJECT(TextField, Control);

  public:
    static constexpr double kClearButtonSize = 19;

    TextField();
    explicit TextField(const base::Rect& frame);
    ~TextField() override;
    static std::shared_ptr<TextField> create(const base::Rect& frame = {});

    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(const std::string& placeholder);
    KeyboardType keyboardType() const { return keyboard_; }
    void setKeyboardType(KeyboardType type) { keyboard_ = type; }
    TextFieldViewMode clearButtonMode() const { return clearMode_; }
    void setClearButtonMode(TextFieldViewMode mode);
    TextBorderStyle borderStyle() const { return border_; }
    void setBorderStyle(TextBorderStyle style);
    void setFont(text::FontRef font);
    void setTextColor(const base::Color& color);

    bool isEditing() const { return editing_; }
    bool isClearButtonShown() const;
    // False when the field is disabled or in no window.
    bool becomeFirstResponder();
    void resignFirstResponder();
    bool isFirstResponder() const;
    static std::shared_ptr<TextField> firstResponder();

    // Typing, for the keyboard, scripts and tests.
    void insertText(const std::string& text);
    void deleteBackward();

    base::Size intrinsicContentSize() const override;

  private:
    static void registerMethods(runtime::MethodList<TextField>& methods);
    void layoutField();
    void touchesEndedField(Touch* touch, Event* event);
    void didMoveToWindowField();
    void refresh();
    void changeTextByUser(std::string text);
    base::Rect clearButtonRect() const;

    std::string text_;
    std::string placeholder_;
    KeyboardType keyboard_ = KeyboardType::Default;
    TextFieldViewMode clearMode_ = TextFieldViewMode::Never;
    TextBorderStyle border_ = TextBorderStyle::None;
    base::Color textColor_;
    std::shared_ptr<Label> label_;
    std::shared_ptr<ImageView> clearButton_;
    std::shared_ptr<View> caret_;
    bool editing_ = false;
};

}  // namespace ui

#include "platform/ui/TextField.h"

#include <algorithm>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/Touch.h"

namespace ui {

QV_DEFINE_CLASS(TextField, "UITextField");

namespace {

constexpr double kTextInset = 7;

std::weak_ptr<TextField>& responder() {
    static std::weak_ptr<TextField> current;
    return current;
}

}  // namespace

void TextField::registerMethods(runtime::MethodList<TextField>& methods) {
    methods.add<&TextField::layoutField>(kLayoutSubviews)
        .add<&TextField::touchesEndedField>(kTouchesEnded)
        .add<&TextField::didMoveToWindowField>(kDidMoveToWindow);
}

TextField::TextField() : TextField(base::Rect{}) {}

TextField::TextField(const base::Rect& frame) : Control(frame) {
    textColor_ = colors::label();
    label_ = Label::create();
    label_->setUserInteractionEnabled(false);
    label_->setTextAlignment(TextAlignment::Left);
    clearButton_ = ImageView::create(systemImage("xmark.circle.fill", kClearButtonSize));
    clearButton_->setTintColor(colors::tertiaryLabel());
    caret_ = View::create();
    caret_->setUserInteractionEnabled(false);
    addSubview(label_);
    addSubview(clearButton_);
    addSubview(caret_);
    setContentVerticalAlignment(ContentVerticalAlignment::Center);
    refresh();
}

TextField::~TextField() = default;

std::shared_ptr<TextField> TextField::create(const base::Rect& frame) {
    return std::make_shared<TextField>(frame);
}

void TextField::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    refresh();
}

void TextField::setPlaceholder(const std::string& placeholder) {
    if (placeholder == placeholder_) return;
    placeholder_ = placeholder;
    refresh();
}

void TextField::setClearButtonMode(TextFieldViewMode mode) {
    if (mode == clearMode_) return;
    clearMode_ = mode;
    refresh();
}

void TextField::setBorderStyle(TextBorderStyle style) {
    if (style == border_) return;
    border_ = style;
    refresh();
}

void TextField::setFont(text::FontRef font) {
    label_->setFont(std::move(font));
    setNeedsLayout();
}

void TextField::setTextColor(const base::Color& color) {
    textColor_ = color;
    refresh();
}

bool TextField::isClearButtonShown() const {
    if (text_.empty()) return false;
    switch (clearMode_) {
        case TextFieldViewMode::Never:
            return false;
        case TextFieldViewMode::WhileEditing:
            return editing_;
        case TextFieldViewMode::UnlessEditing:
            return !editing_;
        case TextFieldViewMode::Always:
            return true;
    }
    return false;
}

void TextField::refresh() {
    const bool showPlaceholder = text_.empty();
    label_->setText(showPlaceholder ? placeholder_ : text_);
    label_->setTextColor(showPlaceholder ? colors::tertiaryLabel() : textColor_);
    clearButton_->setHidden(!isClearButtonShown());
    caret_->setHidden(!editing_);
    caret_->setBackgroundColor(tintColor());
    if (border_ == TextBorderStyle::RoundedRect) {
        setBackgroundColor(colors::secondarySystemGroupedBackground());
        layer()->setCornerRadius(6);
        layer()->setBorderWidth(0.5);
        layer()->setBorderColor(colors::separator());
    } else if (border_ == TextBorderStyle::Line) {
        layer()->setBorderWidth(1);
        layer()->setBorderColor(colors::label());
    } else {
        layer()->setBorderWidth(0);
    }
    setNeedsLayout();
}

base::Rect TextField::clearButtonRect() const {
    const base::Rect b = bounds();
    return {b.maxX() - kTextInset - kClearButtonSize, b.midY() - kClearButtonSize / 2,
            kClearButtonSize, kClearButtonSize};
}

void TextField::layoutField() {
    const base::Rect b = bounds();
    const double right = isClearButtonShown() ? kClearButtonSize + kTextInset : 0;
    const double lineHeight = label_->intrinsicContentSize().height;
    const double textWidth = std::max(0.0, b.width() - 2 * kTextInset - right);
    label_->setFrame({kTextInset, (b.height() - lineHeight) / 2, textWidth, lineHeight});
    clearButton_->setFrame(clearButtonRect());
    // The caret follows the text (placeholder text is shown but not edited).
    const double textEnd =
        text_.empty() ? 0 : std::min(textWidth, label_->intrinsicContentSize().width);
    caret_->setFrame({kTextInset + textEnd, (b.height() - lineHeight) / 2, 2, lineHeight});
}

base::Size TextField::intrinsicContentSize() const {
    const base::Size line = label_->intrinsicContentSize();
    return {kNoIntrinsicMetric, std::max(line.height + 10, 30.0)};
}

bool TextField::becomeFirstResponder() {
    if (!isEnabled() || !window()) return false;
    const std::shared_ptr<TextField> self = runtime::retained(this);
    if (!self) return false;
    if (auto current = responder().lock(); current && current != self) {
        current->resignFirstResponder();
    }
    responder() = self;
    if (!editing_) {
        editing_ = true;
        refresh();
        sendActionsForControlEvents(ControlEvents::EditingDidBegin);
    }
    return true;
}

void TextField::resignFirstResponder() {
    if (responder().lock().get() == this) responder().reset();
    if (!editing_) return;
    editing_ = false;
    refresh();
    sendActionsForControlEvents(ControlEvents::EditingDidEnd);
}

bool TextField::isFirstResponder() const {
    return responder().lock().get() == this;
}

std::shared_ptr<TextField> TextField::firstResponder() {
    return responder().lock();
}

void TextField::changeTextByUser(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    refresh();
    sendActionsForControlEvents(ControlEvents::EditingChanged);
}

void TextField::insertText(const std::string& text) {
    if (text.empty()) return;
    changeTextByUser(text_ + text);
}

void TextField::deleteBackward() {
    if (text_.empty()) return;
    // Whole characters: back up over UTF-8 continuation bytes.
    std::size_t end = text_.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80) --end;
    changeTextByUser(text_.substr(0, end));
}

void TextField::touchesEndedField(Touch* touch, Event* event) {
    const bool tapped =
        isTouchDown() && touch != nullptr && isInsideForTracking(touch->locationInView(this));
    const std::shared_ptr<TextField> keep = runtime::retained(this);
    kTouchesEnded.sendSuper(this, touch, event);
    if (!tapped) return;
    if (isClearButtonShown() &&
        clearButtonRect().insetBy(-6, -6).contains(touch->locationInView(this))) {
        changeTextByUser({});
        return;
    }
    becomeFirstResponder();
}

void TextField::didMoveToWindowField() {
    kDidMoveToWindow.sendSuper(this);
    if (!window() && isFirstResponder()) resignFirstResponder();
}

}  // namespace ui

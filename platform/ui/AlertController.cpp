#include "platform/ui/AlertController.h"

#include <algorithm>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/TextField.h"
#include "platform/ui/VisualEffectView.h"

namespace ui {

QV_DEFINE_CLASS(AlertAction, "UIAlertAction");
QV_DEFINE_CLASS(AlertController, "UIAlertController");

namespace {

constexpr double kPadding = 16;
constexpr double kFieldHeight = 30;

// The card's layout is done by the alert; its view calls back on each layout pass.
class AlertView : public View {
    QV_OBJECT(AlertView, View);

  public:
    std::function<void()> onLayout;

  private:
    static void registerMethods(runtime::MethodList<AlertView>& methods) {
        methods.add<&AlertView::layoutAlert>(kLayoutSubviews);
    }
    void layoutAlert() {
        if (onLayout) onLayout();
    }
};

QV_DEFINE_CLASS(AlertView, "_UIAlertControllerView");

}  // namespace

std::shared_ptr<AlertAction> AlertAction::create(std::string title, AlertActionStyle style,
                                                 Handler handler) {
    return std::make_shared<AlertAction>(std::move(title), style, std::move(handler));
}

void AlertController::registerMethods(runtime::MethodList<AlertController>& methods) {
    methods.add<&AlertController::loadAlertView>(kLoadView)
        .add<&AlertController::viewDidAppearAlert>(kViewDidAppear);
}

AlertController::AlertController() = default;
AlertController::~AlertController() = default;

std::shared_ptr<AlertController> AlertController::create(std::string title, std::string message,
                                                         AlertControllerStyle style) {
    auto alert = std::make_shared<AlertController>();
    alert->setTitle(std::move(title));
    alert->message_ = std::move(message);
    alert->style_ = style;
    return alert;
}

void AlertController::addAction(const std::shared_ptr<AlertAction>& action) {
    if (!action || isViewLoaded()) return;
    actions_.push_back(action);
}

void AlertController::addTextFieldWithConfigurationHandler(
    const std::function<void(TextField&)>& configure) {
    if (style_ != AlertControllerStyle::Alert || isViewLoaded()) return;
    auto field = TextField::create();
    field->setBorderStyle(TextBorderStyle::RoundedRect);
    field->setFont(text::Font::systemFont(13));
    if (configure) configure(*field);
    textFields_.push_back(std::move(field));
}

void AlertController::loadAlertView() {
    auto view = std::make_shared<AlertView>();
    view->setFrame(Screen::main()->bounds());
    view->setBackgroundColor(base::Color::white(0, 0.2));
    view->onLayout = [this] { layoutCard(); };

    card_ =
        VisualEffectView::create(BlurEffect::effectWithStyle(BlurEffectStyle::SystemThickMaterial));
    card_->layer()->setCornerRadius(14);
    card_->layer()->setCornerCurve(CornerCurve::Continuous);
    card_->setClipsToBounds(true);
    view->addSubview(card_);
    const std::shared_ptr<View>& content = card_->contentView();

    titleLabel_ = Label::create();
    titleLabel_->setFont(text::Font::systemFont(17, text::FontWeight::Semibold));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setTextColor(colors::label());
    titleLabel_->setText(title());
    content->addSubview(titleLabel_);
    messageLabel_ = Label::create();
    messageLabel_->setFont(text::Font::systemFont(13));
    messageLabel_->setTextAlignment(TextAlignment::Center);
    messageLabel_->setTextColor(colors::label());
    messageLabel_->setText(message_);
    content->addSubview(messageLabel_);
    for (const auto& field : textFields_) content->addSubview(field);

    const std::weak_ptr<AlertController> self = runtime::weakRef(this);
    for (const auto& action : actions_) {
        auto button = Button::create(ButtonType::System);
        const bool bold =
            action->style() == AlertActionStyle::Cancel || action == preferred_.lock();
        button->setTitle(action->title());
        button->setTitleFont(text::Font::systemFont(
            17, bold ? text::FontWeight::Semibold : text::FontWeight::Regular));
        if (action->style() == AlertActionStyle::Destructive) {
            button->setTitleColor(colors::systemRed());
        }
        button->setEnabled(action->isEnabled());
        const std::weak_ptr<AlertAction> weakAction = action;
        button->addAction(Action::create({}, nullptr,
                                         [self, weakAction](Action&) {
                                             auto alert = self.lock();
                                             auto a = weakAction.lock();
                                             if (alert && a) alert->choose(a);
                                         }),
                          ControlEvents::TouchUpInside);
        auto separator = View::create();
        separator->setBackgroundColor(colors::separator());
        separator->setUserInteractionEnabled(false);
        separator->setTag(-1);
        content->addSubview(separator);
        content->addSubview(button);
        buttons_.push_back(std::move(button));
    }
    setView(view);
}

base::Rect AlertController::cardFrame() const {
    return card_ ? card_->frame() : base::Rect::null();
}

void AlertController::layoutCard() {
    const std::shared_ptr<View>& view = viewIfLoaded();
    if (!view || !card_) return;
    const double inner = kWidth - 2 * kPadding;
    // Pass 1: the text block, top to bottom.
    double y = 20;
    const auto place = [&](View& v, double height, double after) {
        v.setFrame({kPadding, y, inner, height});
        y += height + after;
    };
    if (!title().empty()) place(*titleLabel_, titleLabel_->intrinsicContentSize().height, 4);
    if (!message_.empty()) place(*messageLabel_, messageLabel_->intrinsicContentSize().height, 0);
    titleLabel_->setHidden(title().empty());
    messageLabel_->setHidden(message_.empty());
    y += 14;
    for (const auto& field : textFields_) place(*field, kFieldHeight, 8);
    if (!textFields_.empty()) y += 6;

    // Pass 2: buttons side by side when there are two, else stacked.
    const bool sideBySide = buttons_.size() == 2;
    std::vector<std::shared_ptr<View>> separators;
    for (const auto& v : card_->contentView()->subviews()) {
        if (v->tag() == -1) separators.push_back(v);
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        base::Rect frame;
        if (sideBySide) {
            frame = {kWidth / 2 * double(i), y, kWidth / 2, kButtonHeight};
        } else {
            frame = {0, y + kButtonHeight * double(i), kWidth, kButtonHeight};
        }
        buttons_[i]->setFrame(frame);
        if (i < separators.size()) {
            // Side by side, the first line runs over both buttons and the second parts them.
            base::Rect line{frame.minX(), frame.minY(), frame.width(), 0.5};
            if (sideBySide) {
                line = i == 0 ? base::Rect{0, frame.minY(), kWidth, 0.5}
                              : base::Rect{frame.minX(), frame.minY(), 0.5, kButtonHeight};
            }
            separators[i]->setFrame(line);
        }
    }
    const double height =
        y + (sideBySide ? kButtonHeight : kButtonHeight * double(buttons_.size()));
    const base::Rect b = view->bounds();
    card_->setFrame({(b.width() - kWidth) / 2, (b.height() - height) / 2, kWidth, height});
}

void AlertController::viewDidAppearAlert(bool animated) {
    kViewDidAppear.sendSuper(this, animated);
    if (!settled_ && !textFields_.empty()) textFields_.front()->becomeFirstResponder();
}

bool AlertController::chooseActionTitled(const std::string& title) {
    if (settled_) return false;
    for (const auto& action : actions_) {
        if (action->title() == title && action->isEnabled()) {
            choose(action);
            return true;
        }
    }
    return false;
}

void AlertController::choose(const std::shared_ptr<AlertAction>& action) {
    if (settled_ || !action || !action->isEnabled()) return;
    settled_ = true;
    const std::shared_ptr<AlertController> keep = runtime::retained(this);
    for (const auto& field : textFields_) field->resignFirstResponder();
    dismissViewControllerAnimated(true);
    if (action->handler_) action->handler_(*action);
}

}  // namespace ui

#include "platform/ui/MenuPresentation.h"

#include <algorithm>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"

namespace ui {

QV_DEFINE_CLASS(MenuPresentation, "_UIPullDownMenuView");

namespace {

std::weak_ptr<MenuPresentation>& openList() {
    static std::weak_ptr<MenuPresentation> list;
    return list;
}

constexpr double kCheckColumn = 36;
constexpr double kSideInset = 16;

// One entry of the list: a control whose tap chooses its action.
class MenuRow : public Control {
    QV_OBJECT(MenuRow, Control);

  public:
    MenuRow(std::weak_ptr<MenuPresentation> list, std::shared_ptr<Action> action)
        : list_(std::move(list)), action_(std::move(action)) {
        setEnabled(!action_->isDisabled());
        addAction(Action::create({}, nullptr,
                                 [this](Action&) {
                                     if (auto list = list_.lock()) list->choose(action_);
                                 }),
                  ControlEvents::TouchUpInside);
    }

  protected:
    void stateDidChange() override {
        setBackgroundColor(isHighlighted() ? colors::systemFill() : base::Color::clear());
    }

  private:
    std::weak_ptr<MenuPresentation> list_;
    std::shared_ptr<Action> action_;
};

QV_DEFINE_CLASS(MenuRow, "_UIPullDownMenuRow");

}  // namespace

void MenuPresentation::registerMethods(runtime::MethodList<MenuPresentation>& methods) {
    methods.add<&MenuPresentation::touchesEndedBackdrop>(kTouchesEnded);
}

MenuPresentation::MenuPresentation() = default;

std::shared_ptr<MenuPresentation> MenuPresentation::current() {
    return openList().lock();
}

void MenuPresentation::dismissCurrent() {
    if (auto list = current()) list->dismiss();
}

std::shared_ptr<MenuPresentation> MenuPresentation::present(const std::shared_ptr<Menu>& menu,
                                                            View& source) {
    const std::shared_ptr<Window> window = source.window();
    if (!menu || !window || menu->flattenedActions().empty()) return nullptr;
    dismissCurrent();
    auto list = std::make_shared<MenuPresentation>();
    list->build(menu, source);
    window->addSubview(list);
    openList() = list;
    return list;
}

void MenuPresentation::build(const std::shared_ptr<Menu>& menu, View& source) {
    menu_ = menu;
    source_ = runtime::weakRef(&source);
    const std::shared_ptr<Window> window = source.window();
    setFrame(window->bounds());
    setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);

    const std::vector<std::shared_ptr<Action>> actions = menu->flattenedActions();
    const double height = kRowHeight * double(actions.size());
    const base::Rect anchor = source.convertRect(source.bounds(), window.get());
    const base::Rect area = window->bounds();
    // Below the source if it fits, else above it; always inside the window's margins.
    double y = anchor.maxY() + kGap;
    if (y + height > area.maxY() - kGap && anchor.minY() - kGap - height >= area.minY()) {
        y = anchor.minY() - kGap - height;
    }
    y = std::clamp(y, area.minY() + kGap,
                   std::max(area.minY() + kGap, area.maxY() - kGap - height));
    const double x = std::clamp(anchor.maxX() - kWidth, area.minX() + kGap,
                                std::max(area.minX() + kGap, area.maxX() - kGap - kWidth));

    panel_ =
        VisualEffectView::create(BlurEffect::effectWithStyle(BlurEffectStyle::SystemThickMaterial));
    panel_->setFrame({x, y, kWidth, height});
    panel_->layer()->setCornerRadius(13);
    panel_->layer()->setCornerCurve(CornerCurve::Continuous);
    panel_->setClipsToBounds(true);
    addSubview(panel_);

    const std::weak_ptr<MenuPresentation> self = runtime::weakRef(this);
    const graphics::ImageRef check = systemImage("checkmark", 15);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const std::shared_ptr<Action>& action = actions[i];
        auto row = std::make_shared<MenuRow>(self, action);
        row->setFrame({0, kRowHeight * double(i), kWidth, kRowHeight});
        if (action->state() == MenuElementState::On && check) {
            auto mark = ImageView::create(check);
            mark->setFrame({(kCheckColumn - check->size().width) / 2 + 4,
                            (kRowHeight - check->size().height) / 2, check->size().width,
                            check->size().height});
            mark->setTintColor(colors::label());
            mark->setTag(1);
            row->addSubview(mark);
        }
        auto title =
            Label::create({kCheckColumn, 0, kWidth - kCheckColumn - kSideInset, kRowHeight});
        title->setText(action->title());
        title->setTextColor(action->isDisabled() ? colors::tertiaryLabel() : colors::label());
        title->setTextAlignment(TextAlignment::Left);
        row->addSubview(title);
        if (i + 1 < actions.size()) {
            auto separator = View::create({0, kRowHeight - 0.5, kWidth, 0.5});
            separator->setBackgroundColor(colors::separator());
            separator->setUserInteractionEnabled(false);
            row->addSubview(separator);
        }
        panel_->contentView()->addSubview(row);
    }
}

base::Rect MenuPresentation::panelFrame() const {
    return panel_ ? panel_->frame() : base::Rect::null();
}

bool MenuPresentation::chooseEntryTitled(const std::string& title) {
    if (!menu_) return false;
    for (const auto& action : menu_->flattenedActions()) {
        if (action->title() == title && !action->isDisabled()) {
            choose(action);
            return true;
        }
    }
    return false;
}

void MenuPresentation::choose(const std::shared_ptr<Action>& action) {
    if (!action || action->isDisabled()) return;
    const std::shared_ptr<MenuPresentation> keep = runtime::retained(this);
    const std::shared_ptr<Menu> menu = menu_;
    if (menu && (std::uint32_t(menu->options()) & std::uint32_t(MenuOptions::SingleSelection))) {
        for (const auto& other : menu->flattenedActions()) {
            other->setState(other == action ? MenuElementState::On : MenuElementState::Off);
        }
    }
    dismiss();
    action->performWithSender(source_.lock());
}

void MenuPresentation::dismiss() {
    if (openList().lock().get() == this) openList().reset();
    removeFromSuperview();
}

void MenuPresentation::touchesEndedBackdrop(Touch*, Event*) {
    // Only touches that missed every row reach the backdrop.
    dismiss();
}

}  // namespace ui

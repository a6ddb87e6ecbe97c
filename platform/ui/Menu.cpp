#include "platform/ui/Menu.h"

namespace ui {

QV_DEFINE_CLASS(MenuElement, "UIMenuElement");
QV_DEFINE_CLASS(Action, "UIAction");
QV_DEFINE_CLASS(Menu, "UIMenu");

std::shared_ptr<Action> Action::create(std::string title, graphics::ImageRef image,
                                       Handler handler) {
    return std::make_shared<Action>(std::move(title), std::move(image), std::move(handler));
}

bool Action::isDisabled() const {
    return (std::uint32_t(attributes_) & std::uint32_t(MenuElementAttributes::Disabled)) != 0;
}

void Action::performWithSender(const std::shared_ptr<runtime::Object>& sender) {
    if (isDisabled()) return;
    sender_ = sender;
    // The handler may drop the last reference to this action (a page rebuilding its menu).
    const std::shared_ptr<Action> keep = std::static_pointer_cast<Action>(runtime::retained(this));
    if (handler_) {
        const Handler handler = handler_;
        handler(*this);
    }
}

std::shared_ptr<Menu> Menu::create(std::string title,
                                   std::vector<std::shared_ptr<MenuElement>> children,
                                   MenuOptions options) {
    std::erase(children, nullptr);
    return std::make_shared<Menu>(std::move(title), std::move(children), options);
}

std::vector<std::shared_ptr<Action>> Menu::flattenedActions() const {
    std::vector<std::shared_ptr<Action>> out;
    // Depth-first with an explicit stack, entries in order.
    std::vector<const Menu*> stack{this};
    std::vector<std::size_t> next{0};
    while (!stack.empty()) {
        const Menu* menu = stack.back();
        std::size_t& i = next.back();
        if (i >= menu->children_.size()) {
            stack.pop_back();
            next.pop_back();
            continue;
        }
        const std::shared_ptr<MenuElement>& e = menu->children_[i++];
        if (auto action = std::dynamic_pointer_cast<Action>(e)) {
            out.push_back(std::move(action));
        } else if (const auto* sub = dynamic_cast<const Menu*>(e.get())) {
            stack.push_back(sub);
            next.push_back(0);
        }
    }
    return out;
}

}  // namespace ui

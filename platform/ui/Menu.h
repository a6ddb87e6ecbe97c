#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/runtime/Runtime.h"

namespace ui {

enum class MenuElementState { Off = 0, On = 1, Mixed = 2 };

enum class MenuElementAttributes : std::uint32_t {
    None = 0,
    Disabled = 1u << 0,
    Destructive = 1u << 1,
    Hidden = 1u << 2,
};

// An entry of a menu ("UIMenuElement"): a title and an optional image.
class MenuElement : public runtime::Object {
    QV_OBJECT(MenuElement, runtime::Object);

  public:
    const std::string& title() const { return title_; }
    const graphics::ImageRef& image() const { return image_; }

  protected:
    MenuElement(std::string title, graphics::ImageRef image)
        : title_(std::move(title)), image_(std::move(image)) {}

  private:
    std::string title_;
    graphics::ImageRef image_;
};

// A menu entry that runs a handler when chosen ("UIAction"). The handler is the action's only
// link to what it acts on: code that must not keep its page alive captures it weakly.
class Action : public MenuElement {
    QV_OBJECT(Action, MenuElement);

  public:
    using Handler = std::function<void(Action& action)>;

    static std::shared_ptr<Action> create(std::string title, graphics::ImageRef image,
                                          Handler handler);
    Action(std::string title, graphics::ImageRef image, Handler handler)
        : MenuElement(std::move(title), std::move(image)), handler_(std::move(handler)) {}

    MenuElementState state() const { return state_; }
    void setState(MenuElementState state) { state_ = state; }
    MenuElementAttributes attributes() const { return attributes_; }
    void setAttributes(MenuElementAttributes attributes) { attributes_ = attributes; }
    bool isDisabled() const;
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

    // The control that sent the action last, while it lives.
    std::shared_ptr<runtime::Object> sender() const { return sender_.lock(); }
    // Runs the handler (not for a disabled action).
    void performWithSender(const std::shared_ptr<runtime::Object>& sender);

  private:
    Handler handler_;
    MenuElementState state_ = MenuElementState::Off;
    MenuElementAttributes attributes_ = MenuElementAttributes::None;
    std::string identifier_;
    std::weak_ptr<runtime::Object> sender_;
};

enum class MenuOptions : std::uint32_t {
    None = 0,
    DisplayInline = 1u << 0,
    // Choosing an entry puts the check mark on it and takes it off the others.
    SingleSelection = 1u << 5,
};

// A list of entries, possibly nested ("UIMenu"). It holds its entries strongly.
class Menu : public MenuElement {
    QV_OBJECT(Menu, MenuElement);

  public:
    static std::shared_ptr<Menu> create(std::string title,
                                        std::vector<std::shared_ptr<MenuElement>> children,
                                        MenuOptions options = MenuOptions::None);
    Menu(std::string title, std::vector<std::shared_ptr<MenuElement>> children, MenuOptions options)
        : MenuElement(std::move(title), nullptr),
          children_(std::move(children)),
          options_(options) {}

    const std::vector<std::shared_ptr<MenuElement>>& children() const { return children_; }
    MenuOptions options() const { return options_; }
    // Every action of the menu and its submenus, in the order they are shown.
    std::vector<std::shared_ptr<Action>> flattenedActions() const;

  private:
    std::vector<std::shared_ptr<MenuElement>> children_;
    MenuOptions options_;
};

}  // namespace ui

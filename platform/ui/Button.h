#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ButtonConfiguration.h"
#include "platform/ui/Control.h"

namespace ui {

class ImageView;
class Label;
class Menu;

enum class ButtonType { Custom = 0, System = 1 };

// A control that runs an action when tapped ("UIButton").
//
// Content is a title and an image. Without a configuration they come from the per-state
// setters (a state without its own value uses the normal state's) and the content edge insets;
// with one, the configuration supplies title, image, placement, padding, insets, colours and
// font, and the per-state values fill in only what it lacks. System buttons draw their content
// in the tint colour and dim it while highlighted; custom buttons draw what they are given.
//
// A tap (touch-up-inside) sends primary-action-triggered; with showsMenuAsPrimaryAction and a
// menu it opens the menu as a pull-down list under the button instead (see MenuPresentation.h).
class Button : public Control {
    QV_OBJECT(Button, Control);

  public:
    Button();
    explicit Button(ButtonType type);
    ~Button() override;
    static std::shared_ptr<Button> create(ButtonType type = ButtonType::System);

    ButtonType buttonType() const { return type_; }

    void setTitle(const std::string& title, ControlState state = ControlState::Normal);
    std::string titleForState(ControlState state) const;
    std::string currentTitle() const;
    void setTitleColor(const base::Color& color, ControlState state = ControlState::Normal);
    std::optional<base::Color> titleColorForState(ControlState state) const;
    void setImage(graphics::ImageRef image, ControlState state = ControlState::Normal);
    graphics::ImageRef imageForState(ControlState state) const;
    // The title's font (15-point system font unless set). A configuration without a font of its
    // own uses a font set here, else the 17-point system font.
    void setTitleFont(text::FontRef font);

    const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ImageView>& imageView() const { return imageView_; }

    const std::optional<ButtonConfiguration>& configuration() const { return configuration_; }
    void setConfiguration(std::optional<ButtonConfiguration> configuration);
    base::EdgeInsets contentEdgeInsets() const { return contentEdgeInsets_; }
    void setContentEdgeInsets(const base::EdgeInsets& insets);

    const std::shared_ptr<Menu>& menu() const { return menu_; }
    void setMenu(std::shared_ptr<Menu> menu) { menu_ = std::move(menu); }
    bool showsMenuAsPrimaryAction() const { return showsMenu_; }
    void setShowsMenuAsPrimaryAction(bool shows) { showsMenu_ = shows; }

    base::Size intrinsicContentSize() const override;

  protected:
    void stateDidChange() override;

  private:
    static void registerMethods(runtime::MethodList<Button>& methods);
    void layoutButton();
    void tintChangedButton();
    base::Size sizeThatFitsButton(base::Size size);
    void touchesEndedButton(Touch* touch, Event* event);
    void setUp();
    // Copies the state's content into the title label and image view.
    void updateContent();
    base::Color foregroundColor() const;
    DirectionalEdgeInsets insets() const;
    base::Size contentSize() const;

    ButtonType type_ = ButtonType::Custom;
    std::map<std::uint32_t, std::string> titles_;
    std::map<std::uint32_t, base::Color> titleColors_;
    std::map<std::uint32_t, graphics::ImageRef> images_;
    text::FontRef titleFont_;
    bool titleFontSet_ = false;
    std::optional<ButtonConfiguration> configuration_;
    base::EdgeInsets contentEdgeInsets_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<Menu> menu_;
    bool showsMenu_ = false;
};

}  // namespace ui

#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Geometry.h"
#include "platform/ui/ViewController.h"

namespace ui {

class Button;
class Label;
class StackView;
class TextField;
class VisualEffectView;

enum class AlertActionStyle { Default = 0, Cancel = 1, Destructive = 2 };
enum class AlertControllerStyle { ActionSheet = 0, Alert = 1 };

// A button of an alert ("UIAlertAction").
class AlertAction : public runtime::Object {
    QV_OBJECT(AlertAction, runtime::Object);

  public:
    using Handler = std::function<void(AlertAction& action)>;
    static std::shared_ptr<AlertAction> create(std::string title, AlertActionStyle style,
                                               Handler handler = {});
    AlertAction(std::string title, AlertActionStyle style, Handler handler)
        : title_(std::move(title)), style_(style), handler_(std::move(handler)) {}

    const std::string& title() const { return title_; }
    AlertActionStyle style() const { return style_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

  private:
    friend class AlertController;
    std::string title_;
    AlertActionStyle style_;
    Handler handler_;
    bool enabled_ = true;
};

// A modal card with a title, a message, optional text fields and buttons
// ("UIAlertController"), presented with presentViewController over a dimmed window.
//
// A tap on a button settles the alert: it dismisses itself and then runs that action's handler,
// exactly once; later taps do nothing. Text fields keep what was typed for the handler to read.
// The first text field takes typed text as soon as the alert has appeared.
class AlertController : public ViewController {
    QV_OBJECT(AlertController, ViewController);

  public:
    static constexpr double kWidth = 270;
    static constexpr double kButtonHeight = 44;

    static std::shared_ptr<AlertController> create(std::string title, std::string message,
                                                   AlertControllerStyle style);
    AlertController();
    ~AlertController() override;

    const std::string& message() const { return message_; }
    AlertControllerStyle preferredStyle() const { return style_; }

    void addAction(const std::shared_ptr<AlertAction>& action);
    const std::vector<std::shared_ptr<AlertAction>>& actions() const { return actions_; }
    // The configuration handler runs at once, before the field is shown.
    void addTextFieldWithConfigurationHandler(const std::function<void(TextField&)>& configure);
    const std::vector<std::shared_ptr<TextField>>& textFields() const { return textFields_; }
    // The action Return picks and that is drawn in bold.
    std::shared_ptr<AlertAction> preferredAction() const { return preferred_.lock(); }
    void setPreferredAction(const std::shared_ptr<AlertAction>& action) { preferred_ = action; }

    // Taps the button of the first enabled action with the title. False when there is none or
    // the alert has settled.
    bool chooseActionTitled(const std::string& title);
    void choose(const std::shared_ptr<AlertAction>& action);
    bool isSettled() const { return settled_; }
    // The card's frame in the alert's view.
    base::Rect cardFrame() const;

  private:
    static void registerMethods(runtime::MethodList<AlertController>& methods);
    void loadAlertView();
    void viewDidAppearAlert(bool animated);
    void layoutCard();

    std::string message_;
    AlertControllerStyle style_ = AlertControllerStyle::Alert;
    std::vector<std::shared_ptr<AlertAction>> actions_;
    std::vector<std::shared_ptr<TextField>> textFields_;
    std::weak_ptr<AlertAction> preferred_;
    std::shared_ptr<VisualEffectView> card_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<Label> messageLabel_;
    std::vector<std::shared_ptr<Button>> buttons_;
    bool settled_ = false;
};

}  // namespace ui

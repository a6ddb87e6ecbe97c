#pragma once

#include <memory>
#include <string>

#include "platform/runtime/Selector.h"
#include "platform/ui/View.h"

namespace ui {
class Button;
class Control;
class Label;
class StackView;
class ViewController;
class VisualEffectView;
}  // namespace ui

// The reset card's overlay: a dimmed, full-size view holding a tap catcher behind a blurred
// card with a title, a message and the buttons "取消" and "重置". LGPresentResetConfirmation
// makes, shows and tags it; its parts are public for tests. Main thread only.
class LGResetConfirmationView : public ui::View {
    QV_OBJECT(LGResetConfirmationView, ui::View);

  public:
    static constexpr double kAnimationDuration = 0.22;
    static constexpr double kHiddenCardScale = 0.96;
    // How long a reset without the page's own action waits: as long as the page's animated
    // reset lets its controls settle.
    static constexpr double kResetAllDelay = 0.67;
    static constexpr double kCardWidth = 320;
    static constexpr double kCardMargin = 20;

    // An overlay of `frame`, still transparent, for `page`; an empty message shows the standard
    // one.
    static std::shared_ptr<LGResetConfirmationView> create(
        const base::Rect& frame, const std::shared_ptr<ui::ViewController>& page,
        const std::string& message, runtime::SEL action);
    LGResetConfirmationView(const base::Rect& frame,
                            const std::shared_ptr<ui::ViewController>& page,
                            const std::string& message, runtime::SEL action);
    ~LGResetConfirmationView() override;

    // Fades the overlay in and grows the card to full size.
    void animateIn();
    // Fades out and removes the overlay; with `confirmed`, then resets (see
    // LGPresentResetConfirmation). Only the first call does anything.
    void dismiss(bool confirmed);
    bool isDismissing() const { return dismissing_; }

    const std::shared_ptr<ui::Control>& backgroundControl() const { return background_; }
    const std::shared_ptr<ui::VisualEffectView>& card() const { return card_; }
    const std::shared_ptr<ui::Label>& titleLabel() const { return title_; }
    const std::shared_ptr<ui::Label>& messageLabel() const { return message_; }
    const std::shared_ptr<ui::Button>& cancelButton() const { return cancel_; }
    const std::shared_ptr<ui::Button>& confirmButton() const { return confirm_; }

  private:
    static void registerMethods(runtime::MethodList<LGResetConfirmationView>& methods);
    void layoutOverlay();
    void connect(ui::Control& control, bool confirmed);

    std::weak_ptr<ui::ViewController> page_;
    runtime::SEL action_;
    std::shared_ptr<ui::Control> background_;
    std::shared_ptr<ui::VisualEffectView> card_;
    std::shared_ptr<ui::Label> title_;
    std::shared_ptr<ui::Label> message_;
    std::shared_ptr<ui::StackView> buttons_;
    std::shared_ptr<ui::Button> cancel_;
    std::shared_ptr<ui::Button> confirm_;
    bool dismissing_ = false;
};

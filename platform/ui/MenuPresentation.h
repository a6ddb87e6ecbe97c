#pragma once

#include <memory>
#include <string>

#include "platform/ui/Control.h"

namespace ui {

class Action;
class Menu;
class StackView;
class VisualEffectView;

// An open pull-down list of a menu's actions, shown over the window of the view that opened it
// (a menu button), just below that view and lined up with its trailing edge, or above it when
// there is no room below. Actions whose state is on carry a check mark.
//
// A tap on an enabled entry closes the list and then runs the action (in a single-selection
// menu the check mark moves to it first); a tap anywhere else closes the list and runs nothing.
// At most one list is open: opening another closes the first.
//
// The list is a full-window view: a clear backdrop that catches stray taps, and the panel of
// rows on a blur material.
class MenuPresentation : public View {
    QV_OBJECT(MenuPresentation, View);

  public:
    static constexpr double kWidth = 250;
    static constexpr double kRowHeight = 44;
    static constexpr double kGap = 8;

    // nullptr, opening nothing, when the source is in no window or the menu has no action to
    // show.
    static std::shared_ptr<MenuPresentation> present(const std::shared_ptr<Menu>& menu,
                                                     View& source);
    // The list open now, if any.
    static std::shared_ptr<MenuPresentation> current();
    static void dismissCurrent();

    const std::shared_ptr<Menu>& menu() const { return menu_; }
    // The panel's frame in the window.
    base::Rect panelFrame() const;
    // Picks the first enabled action with the title, as a tap on its row would. False when
    // there is none (the list stays open).
    bool chooseEntryTitled(const std::string& title);
    void choose(const std::shared_ptr<Action>& action);
    void dismiss();

    MenuPresentation();

  private:
    static void registerMethods(runtime::MethodList<MenuPresentation>& methods);
    void build(const std::shared_ptr<Menu>& menu, View& source);
    void touchesEndedBackdrop(Touch* touch, Event* event);

    std::shared_ptr<Menu> menu_;
    std::weak_ptr<View> source_;
    std::shared_ptr<VisualEffectView> panel_;
};

}  // namespace ui

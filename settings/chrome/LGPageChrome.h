#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/runtime/Selector.h"

namespace runtime {
class Object;
}
namespace ui {
class BarButtonItem;
class NavigationItem;
class ViewController;
}  // namespace ui

// The chrome around the settings page. Main thread only.

// A transparent bar (clear background, no hairline) for every appearance of `item`: standard,
// scroll edge, compact and compact scroll edge.
void LGApplyTransparentNavigationBar(ui::NavigationItem& item);

// Hides the system back button and puts a plain "chevron.left" button on the left of `item` that
// sends `action` to `target` (held weakly).
void LGInstallCustomBackButton(ui::NavigationItem& item,
                               const std::shared_ptr<runtime::Object>& target, runtime::SEL action);

// The title of the page's reset button, and of the card's button that confirms a reset.
inline constexpr char kLGResetButtonTitle[] = "重置";

// A plain bar button titled `title` ("重置" when empty) that sends `action` to `target` (held
// weakly).
std::shared_ptr<ui::BarButtonItem> LGResetBarButtonItem(
    std::string title, const std::shared_ptr<runtime::Object>& target, runtime::SEL action);

// Shows the reset card over `page`'s view; nothing when that view is not in a window. A card
// already shown on the page is replaced. "重置" dismisses it and then sends `action` to the page
// when the page responds to it; with no such action, every setting but the reserved ones is
// reset 0.67 s later. An empty message shows the standard one.
void LGPresentResetConfirmation(const std::shared_ptr<ui::ViewController>& page,
                                std::string message, runtime::SEL action);

// The view tag of the reset card's overlay; at most one exists per page.
inline constexpr int kLGResetConfirmationTag = 6862;

// Opens `url` through the application with empty options and no completion handler. False, and
// nothing opened, when the text is not a URL: an absolute one, with a scheme, whose other
// characters are those a URL carries as they are or percent-encoded.
bool LGOpenURLString(std::string_view url);

// Where the about rows lead.
extern const char* const kLGPackageRepositoryURL;
extern const char* const kLGChatChannelURL;
extern const char* const kLGChatGroupURL;

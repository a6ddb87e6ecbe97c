#pragma once

#include <memory>
#include <string>

#include "hosts/scene/SceneScript.h"

namespace ui {
class NavigationController;
}
class SettingsRootController;

// The built-in scenes by name: "root" (a picture of the root list) and "page" (the settings page
// of QuorvanePrefs, at its top and scrolled to its bottom); nullptr for any other name.
const char* builtInSettingsScene(const std::string& name);

// The steps a Settings scene may use, acting on the host's navigation controller and root list:
//   tap {x, y}                 a finger down and up at a screen point (0.05 s)
//   drag {path, duration}      down at the first point, through the others, up at the last
//   type {text, replace}       text into the focused text field, optionally replacing its text
//   choose {title}             the entry of the open menu, else the button of the alert shown
//   open {bundle}              the root list's row of that bundle, as a tap would choose it
//   back                       the navigation bar's back button
//   expect-page {title}        fails unless the page on top has that title
//   appearance {style}         light or dark, for every view at once
//   scroll {fraction}          the page on top's main scroll view to that part of its height
//   describe {file}            the view trees as text, into the output folder
//   wait, snapshot {file}      as in every host
scene::ActionTable makeSettingsActions(const std::shared_ptr<ui::NavigationController>& navigation,
                                       const std::shared_ptr<SettingsRootController>& root,
                                       const std::string& outputDirectory);

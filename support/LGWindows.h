#pragma once

#include <memory>
#include <vector>

namespace ui {
class Application;
class Window;
}  // namespace ui

// Every window of the application's window scenes: scene by scene in the order the scenes
// connected, each scene's windows in their order. Scenes that are not window scenes contribute
// nothing; no application gives an empty list. Main thread only.
std::vector<std::shared_ptr<ui::Window>> LGAllWindows(const std::shared_ptr<ui::Application>& app);

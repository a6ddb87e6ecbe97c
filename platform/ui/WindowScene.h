#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/CoordinateSpace.h"
#include "platform/ui/Scene.h"
#include "platform/ui/TraitCollection.h"

namespace ui {

class Screen;
class Window;

// The values follow the phone's: portrait is 1.
enum class InterfaceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeRight = 3,
    LandscapeLeft = 4,
};

// A scene on a screen ("UIWindowScene"): its windows, in the order they joined, and its
// orientation. The scene lists its windows weakly.
class WindowScene : public Scene {
    QV_OBJECT(WindowScene, Scene);

  public:
    explicit WindowScene(std::shared_ptr<Screen> screen = nullptr, std::string identifier = {});
    static std::shared_ptr<WindowScene> create(std::shared_ptr<Screen> screen = nullptr,
                                               std::string identifier = {});

    const std::shared_ptr<Screen>& screen() const { return screen_; }
    const CoordinateSpace& coordinateSpace() const;
    TraitCollection traitCollection() const;

    InterfaceOrientation interfaceOrientation() const { return orientation_; }
    void setInterfaceOrientation(InterfaceOrientation orientation) { orientation_ = orientation; }

    // The live windows of the scene, in the order they were attached.
    std::vector<std::shared_ptr<Window>> windows() const;

  private:
    friend class Window;

    std::shared_ptr<Screen> screen_;
    InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
    std::vector<std::weak_ptr<Window>> windows_;
};

}  // namespace ui

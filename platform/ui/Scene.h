#pragma once

#include <memory>
#include <string>

#include "platform/runtime/Runtime.h"

namespace ui {

enum class SceneActivationState { Unattached, ForegroundActive, ForegroundInactive, Background };

// One instance of the application's interface ("UIScene"). Scenes that show windows are
// WindowScenes; the application may connect other kinds, which have no windows.
class Scene : public runtime::Object {
    QV_OBJECT(Scene, runtime::Object);

  public:
    explicit Scene(std::string identifier = {}) : identifier_(std::move(identifier)) {}

    const std::string& identifier() const { return identifier_; }
    SceneActivationState activationState() const { return state_; }
    void setActivationState(SceneActivationState state) { state_ = state; }

  private:
    std::string identifier_;
    SceneActivationState state_ = SceneActivationState::ForegroundActive;
};

}  // namespace ui

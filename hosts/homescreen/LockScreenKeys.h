#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hosts/scene/SceneScript.h"
#include "platform/lockscreen/LockScreen.h"

// The keys of the lock screen's preview window. Each runs the scene action of the same name
// from the host's action table, so a key does exactly what the matching scene step does:
//
//   Left, PageUp / Right, PageDown   scroll to the page before / after (animated)
//   N                                a new sample notification; R removes the newest one
//   C                                open or close the camera
//   P                                show or hide the passcode view
//   D                                switch between light and dark appearance
//
// Other keys are ignored. Main thread only.
class LockScreenKeys {
  public:
    LockScreenKeys(const scene::ActionTable& actions,
                   const std::unique_ptr<lockscreen::LockScreen>& lockScreen)
        : actions_(actions), lockScreen_(lockScreen) {}

    // Returns whether the key meant something here. A step that fails is reported on stderr.
    bool handle(const std::string& keyName);

  private:
    bool run(const std::string& action, scene::Json params);
    double currentPage() const;

    const scene::ActionTable& actions_;
    const std::unique_ptr<lockscreen::LockScreen>& lockScreen_;
    int notificationsAdded_ = 0;
    // The identifiers of the notifications the keys added and did not remove, oldest first.
    std::vector<std::string> shown_;
};

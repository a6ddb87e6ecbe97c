#include "hosts/homescreen/LockScreenKeys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/lockscreen/LockScreenWindows.h"
#include "platform/ui/Screen.h"

namespace {

constexpr double kLastPage = 2;

}  // namespace

double LockScreenKeys::currentPage() const {
    const auto& pages = lockScreen_ ? lockScreen_->pageScrollView() : nullptr;
    if (!pages || pages->bounds().width() <= 0) return 1;
    return pages->contentOffset().x / pages->bounds().width();
}

bool LockScreenKeys::run(const std::string& action, scene::Json params) {
    const scene::ActionSpec* entry = actions_.find(action);
    if (!entry) return false;
    params["do"] = action;
    scene::Step step;
    step.action = action;
    step.params = std::move(params);
    std::string error;
    if (!entry->run(step, error)) {
        std::fprintf(stderr, "homescreen: key for \"%s\": %s\n", action.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool LockScreenKeys::handle(const std::string& keyName) {
    if (!lockScreen_) return false;
    lockscreen::LockScreen& lock = *lockScreen_;
    if (keyName == "Left" || keyName == "PageUp" || keyName == "Right" || keyName == "PageDown") {
        // From wherever a drag left the pages, to the next whole page in that direction.
        const bool back = keyName == "Left" || keyName == "PageUp";
        const double here = currentPage();
        const double target = back ? std::ceil(here - 1e-6) - 1 : std::floor(here + 1e-6) + 1;
        return run(
            "scroll",
            {{"target", "page"}, {"page", std::clamp(target, 0.0, kLastPage)}, {"animated", true}});
    }
    if (keyName == "N") {
        const int number = ++notificationsAdded_;
        const std::string id = "key-" + std::to_string(number);
        if (!run("notification", {{"id", id},
                                  {"app", "MESSAGES"},
                                  {"title", "Preview"},
                                  {"body", "Notification " + std::to_string(number)}})) {
            return false;
        }
        shown_.push_back(id);
        return true;
    }
    if (keyName == "R") {
        if (shown_.empty()) return false;
        const std::string id = shown_.back();
        shown_.pop_back();
        return run("remove-notification", {{"id", id}});
    }
    if (keyName == "C") return run("camera", {{"open", !lock.isCameraOpen()}});
    if (keyName == "P") return run("passcode", {{"show", !lock.isPasscodeVisible()}});
    if (keyName == "D") {
        const bool dark = ui::Screen::main()->traitCollection().isDark();
        return run("appearance", {{"style", dark ? "light" : "dark"}});
    }
    return false;
}

#include "glass/LGFrameRate.h"

#include <algorithm>

#include "platform/ui/Screen.h"
#include "support/LGSharedSupport.h"

namespace {

constexpr std::int64_t kDefaultFramesPerSecond = 30;

}  // namespace

std::int64_t LGScreenMaximumFramesPerSecond() {
    const int maximum = ui::Screen::main()->maximumFramesPerSecond();
    return maximum > 0 ? maximum : 60;
}

std::int64_t LGPreferredFramesPerSecond(std::string_view key, std::int64_t floor) {
    const std::int64_t wanted = LGPrefsInteger(key, kDefaultFramesPerSecond);
    return std::min(std::max(wanted, floor), LGScreenMaximumFramesPerSecond());
}

std::string_view LGGlassFramesPerSecondKey(std::int64_t updateGroup) {
    switch (updateGroup) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 7:
        case 8:
            return "Homescreen.FPS";
        case 5:
            return "Quorvane.Clock.FPS";
        case 6:
            return "AppLibrary.FPS";
        default:
            return {};
    }
}

std::int64_t LGGlassFramesPerSecond(std::int64_t updateGroup) {
    const std::string_view key = LGGlassFramesPerSecondKey(updateGroup);
    const std::int64_t value =
        key.empty() ? kDefaultFramesPerSecond : LGPrefsInteger(key, kDefaultFramesPerSecond);
    return std::max(value, kDefaultFramesPerSecond);
}

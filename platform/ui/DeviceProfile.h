#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Geometry.h"
#include "platform/base/ProcessInfo.h"
#include "platform/ui/TraitCollection.h"

namespace ui {

// The facts of one simulated device that the screen and the process report.
struct DeviceProfile {
    std::string name;      // the identifier hosts accept on their command line
    base::Size pointSize;  // portrait screen size in points
    double scale = 3.0;    // pixels per point
    int maximumFramesPerSecond = 60;
    UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone;
    base::OperatingSystemVersion systemVersion;

    // A current phone: 393 × 852 points at 3x, 120 Hz, system 17.
    static DeviceProfile modernPhone();
    // A phone with a 60 Hz display: 390 × 844 points at 3x, system 16.
    static DeviceProfile standardPhone();
    // An older phone for the system before 16: 375 × 812 points at 3x, 60 Hz, system 15.4.
    static DeviceProfile legacyPhone();
    // A tablet: 1024 × 1366 points at 2x, 120 Hz, system 17.
    static DeviceProfile tablet();

    static std::vector<DeviceProfile> all();
    // The profile with that name ("modern-phone", "phone-60hz", "legacy-phone", "tablet");
    // nullopt for any other name.
    static std::optional<DeviceProfile> named(std::string_view name);
};

}  // namespace ui

#include "platform/ui/DeviceProfile.h"

namespace ui {

DeviceProfile DeviceProfile::modernPhone() {
    return {"modern-phone", {393, 852}, 3.0, 120, UserInterfaceIdiom::Phone, {17, 0, 0}};
}

DeviceProfile DeviceProfile::standardPhone() {
    return {"phone-60hz", {390, 844}, 3.0, 60, UserInterfaceIdiom::Phone, {16, 0, 0}};
}

DeviceProfile DeviceProfile::legacyPhone() {
    return {"legacy-phone", {375, 812}, 3.0, 60, UserInterfaceIdiom::Phone, {15, 4, 0}};
}

DeviceProfile DeviceProfile::tablet() {
    return {"tablet", {1024, 1366}, 2.0, 120, UserInterfaceIdiom::Pad, {17, 0, 0}};
}

std::vector<DeviceProfile> DeviceProfile::all() {
    return {modernPhone(), standardPhone(), legacyPhone(), tablet()};
}

std::optional<DeviceProfile> DeviceProfile::named(std::string_view name) {
    for (DeviceProfile& profile : all()) {
        if (profile.name == name) return profile;
    }
    return std::nullopt;
}

}  // namespace ui

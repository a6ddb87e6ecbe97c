#include "hosts/quorvane/SettingsCommand.h"

#include "hosts/quorvane/HostLauncher.h"

int runSettingsCommand(const std::vector<std::string>& args, const std::string& deviceRoot) {
    return runHostProgram("settings", "settings", QV_SETTINGS_PATH, args, deviceRoot,
                          {"--script", "--default-scene"}, "the Settings host");
}

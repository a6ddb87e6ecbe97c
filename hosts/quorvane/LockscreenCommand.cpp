#include "hosts/quorvane/LockscreenCommand.h"

#include "hosts/quorvane/HostLauncher.h"

int runLockscreenCommand(const std::vector<std::string>& args, const std::string& deviceRoot) {
    return runHostProgram("lockscreen", "homescreen", QV_HOMESCREEN_PATH, args, deviceRoot,
                          {"--script", "--scene", "--default-scene"}, "the home-screen host");
}

// A second process for the shared-support tests. Commands (one per run):
//   publish <device root> <key> <number>   set key = number, publish at once, exit
//   log <device root> <count> <tag>        log <count> lines "<tag> <i>" and return from main
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/DeviceRoot.h"
#include "platform/base/PropertyList.h"
#include "support/LGSharedSupport.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string command = argv[1];
    base::setDeviceRoot(argv[2]);
    if (command == "publish" && argc == 5) {
        LGPrefsSetValue(argv[3], base::PlistValue::real(std::atof(argv[4])));
        LGPrefsPublishNow();
        return 0;
    }
    if (command == "log" && argc == 5) {
        int count = std::atoi(argv[3]);
        // Only the file matters here; keep the console quiet.
        if (!std::freopen("/dev/null", "w", stderr)) return 3;
        for (int i = 0; i < count; ++i) LGLog("%s %d", argv[4], i);
        // Returning runs the exit handler, which must write every queued line first.
        return 0;
    }
    return 2;
}

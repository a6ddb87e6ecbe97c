// A second process for the preference tests. Commands (one per run):
//   sync-keys <folder> <domain> <prefix> <count>
//       after one byte on stdin, sets "<prefix>-<i>" = i and synchronises, one key at a time
//   stop-at <folder> <domain> <stage> <key> <value>
//       sets key = value and synchronises, but at <stage> (locked|written|replaced) prints
//       "stopped" and waits forever, to be killed there
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/PropertyList.h"
#include "platform/prefs/PreferenceService.h"
#include "platform/prefs/detail/SynchronizeProbe.h"

using prefs::detail::SynchronizeStage;

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string command = argv[1];
    if (command == "sync-keys" && argc == 6) {
        prefs::PreferenceService service(argv[2]);
        std::string domain = argv[3], prefix = argv[4];
        int count = std::atoi(argv[5]);
        std::puts("ready");
        std::fflush(stdout);
        char go;
        if (::read(STDIN_FILENO, &go, 1) != 1) return 3;
        for (int i = 0; i < count; ++i) {
            service.setValue(prefix + "-" + std::to_string(i), base::PlistValue::integer(i),
                             domain);
            if (!service.synchronize(domain)) return 4;
        }
        return 0;
    }
    if (command == "stop-at" && argc == 7) {
        prefs::PreferenceService service(argv[2]);
        std::string stageName = argv[4];
        SynchronizeStage stage = stageName == "locked"    ? SynchronizeStage::Locked
                                 : stageName == "written" ? SynchronizeStage::TemporaryWritten
                                                          : SynchronizeStage::Replaced;
        prefs::detail::setSynchronizeProbe([stage](SynchronizeStage reached) {
            if (reached != stage) return;
            std::puts("stopped");
            std::fflush(stdout);
            for (;;) ::pause();
        });
        service.setValue(argv[5], base::PlistValue::string(argv[6]), argv[3]);
        service.synchronize(argv[3]);
        return 5;  // never reached when the stage is
    }
    return 2;
}

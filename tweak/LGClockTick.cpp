#include "tweak/LGClockTick.h"

#include <algorithm>

#include "glass/LGFrameRate.h"
#include "platform/dispatch/Time.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/detail/LGClockTickTesting.h"

namespace {

double gBusyDeadline = 0;

}  // namespace

LGDisplayLinkClient& LGClockDisplayLinkClient() {
    // Never destroyed: the record must outlive every tick, and the tweak tears down its link at
    // exit itself.
    static auto* client = new LGDisplayLinkClient();
    return *client;
}

std::int64_t LGClockBusyFramesPerSecond() {
    return std::min<std::int64_t>(LGPreferredFramesPerSecond(kLGClockFPSKey, kLGClockFPSFloor), 30);
}

double LGClockBusyDeadline() {
    return gBusyDeadline;
}

void LGClockMarkBusy(double duration) {
    if (!(duration >= 0)) duration = 0;
    gBusyDeadline = std::max(gBusyDeadline, dispatch::now() + duration);
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    if (client.displayLink) LGDisplayLinkSetFramesPerSecond(&client, LGClockBusyFramesPerSecond());
}

void lg::detail::resetClockTickForTesting() {
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    LGDisplayLinkDetach(&client);
    client = LGDisplayLinkClient{};
    gBusyDeadline = 0;
}

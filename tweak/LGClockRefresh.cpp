#include "tweak/LGClockRefresh.h"

#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockInjection.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockTick.h"
#include "tweak/LGViewTree.h"

void LGClockRefreshAllHosts() {
    LGAssertMainThread();
    // Pass 1: every host in every window, attached before or not.
    for (const auto& scene : ui::Application::shared()->connectedScenes()) {
        const auto windowScene = std::dynamic_pointer_cast<ui::WindowScene>(scene);
        if (!windowScene) continue;
        for (const auto& window : windowScene->windows()) {
            std::vector<std::shared_ptr<ui::View>> hosts;
            LGWalkViewTree(window, [&](const std::shared_ptr<ui::View>& v) {
                if (LGClockIsHost(v.get())) hosts.push_back(v);
            });
            for (const auto& host : hosts) LGClockUpdateHost(host);
        }
    }
    // Pass 2: the live hosts still in a window (the tick cleans up the others).
    LGAssertMainThread();
    const auto live = LGClockLiveHosts();
    for (const auto& host : live) {
        if (host->window()) LGClockUpdateHost(host);
    }
    // Pass 3: the tick runs while a host is live and the clock is on.
    if (!LGClockLiveHosts().empty() && LGTweakEnabled() &&
        LGPrefsBool(kLGClockEnabledKey, kLGClockEnabledDefault)) {
        LGClockStartTicking();
    } else {
        LGAssertMainThread();
        LGDisplayLinkDetach(&LGClockDisplayLinkClient());
    }
}

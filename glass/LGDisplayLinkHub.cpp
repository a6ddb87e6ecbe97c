#include "glass/LGDisplayLinkHub.h"

#include <algorithm>
#include <vector>

#include "glass/LGFrameRate.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/ui/DisplayLink.h"
#include "support/LGSharedSupport.h"

namespace {

// Extra time granted to a client's interval, so that a client whose rate divides the display's
// ticks on each of its frames despite timestamp jitter.
constexpr double kTickSlack = 0.0005;

// The target of the shared link; it has no state of its own.
class LGSharedDisplayLinkHub {
  public:
    void tick(ui::DisplayLink& link);
};

struct HubState {
    std::vector<LGDisplayLinkClient*> clients;
    std::shared_ptr<ui::DisplayLink> link;
    std::shared_ptr<LGSharedDisplayLinkHub> hub;
};

HubState& hubState() {
    static auto* state = new HubState();
    return *state;
}

bool isListed(const LGDisplayLinkClient* client) {
    const auto& clients = hubState().clients;
    return std::find(clients.begin(), clients.end(), client) != clients.end();
}

std::int64_t clampRate(std::int64_t framesPerSecond) {
    return std::min(std::max<std::int64_t>(framesPerSecond, 1), LGScreenMaximumFramesPerSecond());
}

void reevaluate() {
    HubState& state = hubState();
    if (!state.link) return;
    std::int64_t highest = 0;
    bool anyActive = false;
    for (const LGDisplayLinkClient* client : state.clients) {
        if (client->displayLink != state.link || client->activeCount < 1) continue;
        anyActive = true;
        highest = std::max(highest, client->framesPerSecond);
    }
    if (anyActive && highest >= 1) {
        state.link->setPaused(false);
        state.link->setPreferredFramesPerSecond(
            static_cast<int>(std::min(highest, LGScreenMaximumFramesPerSecond())));
    } else {
        state.link->setPaused(true);
    }
}

void LGSharedDisplayLinkHub::tick(ui::DisplayLink& link) {
    HubState& state = hubState();
    // Clients may attach or detach from inside a tick: walk a copy, and skip a record that has
    // left the list meanwhile without touching it (its owner may have destroyed it).
    const std::vector<LGDisplayLinkClient*> clients = state.clients;
    const double timestamp = link.timestamp();
    for (LGDisplayLinkClient* client : clients) {
        if (!isListed(client)) continue;
        if (!state.link || client->displayLink != state.link || client->activeCount < 1) continue;
        if (client->lastTickTime > 0) {
            const double interval =
                1.0 / static_cast<double>(std::max<std::int64_t>(client->framesPerSecond, 1));
            if (timestamp - client->lastTickTime + kTickSlack < interval) continue;
        }
        client->lastTickTime = timestamp;
        // The driver may be dropped by a detach inside its own block.
        if (std::shared_ptr<LGDisplayLinkDriver> driver = client->driver) driver->tick(link);
    }
}

}  // namespace

void LGDisplayLinkAttach(LGDisplayLinkClient* client, std::int64_t framesPerSecond,
                         std::function<void()> tickBlock) {
    LGAssertMainThread();
    if (client == nullptr || client->displayLink) return;
    HubState& state = hubState();
    if (!state.link) {
        auto hub = std::make_shared<LGSharedDisplayLinkHub>();
        auto link = ui::DisplayLink::create([hub](ui::DisplayLink& l) { hub->tick(l); });
        if (!link) return;
        link->setPaused(true);
        link->addToRunLoop(dispatch::RunLoop::main(), dispatch::Mode::Common);
        state.hub = std::move(hub);
        state.link = std::move(link);
    }
    client->driver = std::make_shared<LGDisplayLinkDriver>(std::move(tickBlock));
    client->framesPerSecond = clampRate(framesPerSecond);
    client->lastTickTime = 0;
    client->displayLink = state.link;
    state.clients.push_back(client);
    reevaluate();
}

void LGDisplayLinkDetach(LGDisplayLinkClient* client) {
    LGAssertMainThread();
    if (client == nullptr || !client->displayLink) return;
    HubState& state = hubState();
    for (auto i = state.clients.size(); i-- > 0;) {
        if (state.clients[i] == client) state.clients.erase(state.clients.begin() + i);
    }
    client->displayLink.reset();
    client->driver.reset();
    client->framesPerSecond = 0;
    client->lastTickTime = 0;
    reevaluate();
    if (state.clients.empty() && state.link) {
        state.link->invalidate();
        state.link.reset();
        state.hub.reset();
    }
}

void LGDisplayLinkActivityChanged(LGDisplayLinkClient* client) {
    LGAssertMainThread();
    HubState& state = hubState();
    if (client == nullptr || !state.link || client->displayLink != state.link) return;
    if (client->activeCount < 1) client->lastTickTime = 0;
    reevaluate();
}

void LGDisplayLinkSetFramesPerSecond(LGDisplayLinkClient* client, std::int64_t framesPerSecond) {
    LGAssertMainThread();
    // A detached record keeps its rate of 0; the rate is given again when it is attached.
    if (client == nullptr || !client->displayLink) return;
    const std::int64_t rate = clampRate(framesPerSecond);
    if (rate == client->framesPerSecond) return;
    client->framesPerSecond = rate;
    client->lastTickTime = 0;
    reevaluate();
}

std::shared_ptr<ui::DisplayLink> LGDisplayLinkShared() {
    return hubState().link;
}

std::size_t LGDisplayLinkClientCount() {
    return hubState().clients.size();
}

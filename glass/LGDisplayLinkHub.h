#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace ui {
class DisplayLink;
}

// One display link for the whole process, ticking every attached client at the client's own
// rate. The link runs only while some attached client is active, at the highest rate an active
// client wants (capped by the screen), and is scheduled on the main run loop in the common modes,
// so ticks go on during scrolling and touch tracking.
//
// Main thread only: the four operations below assert it.

// Runs a client's tick block.
class LGDisplayLinkDriver {
  public:
    using TickBlock = std::function<void()>;

    explicit LGDisplayLinkDriver(TickBlock tickBlock) : tickBlock_(std::move(tickBlock)) {}

    const TickBlock& tickBlock() const { return tickBlock_; }
    void setTickBlock(TickBlock block) { tickBlock_ = std::move(block); }
    // The link is passed along for the record; the block does not get it.
    void tick(ui::DisplayLink& link) {
        if (tickBlock_) tickBlock_();
    }

  private:
    TickBlock tickBlock_;
};

// A client of the hub, owned by whoever attaches it (typically a record that lives as long as
// the process). The hub keeps a plain pointer to an attached record, so a record must be detached
// before it is destroyed.
struct LGDisplayLinkClient {
    // Raised and lowered by the owner (never below 0); the client ticks only while it is >= 1.
    // Call LGDisplayLinkActivityChanged after changing it.
    std::int64_t activeCount = 0;
    // 1 ... the screen's maximum while attached, 0 while not.
    std::int64_t framesPerSecond = 0;
    // Link timestamp of the last tick; 0 makes the client tick at the next frame.
    double lastTickTime = 0;
    // The shared link while attached, else empty.
    std::shared_ptr<ui::DisplayLink> displayLink;
    std::shared_ptr<LGDisplayLinkDriver> driver;
};

// Attaches `client` with its rate (clamped to 1 ... screen maximum) and tick block, creating the
// shared link on first use. `activeCount` is left as the owner set it. Nothing for a null client
// or one already attached.
void LGDisplayLinkAttach(LGDisplayLinkClient* client, std::int64_t framesPerSecond,
                         std::function<void()> tickBlock);
// Detaches `client`; the last detach invalidates the shared link (the next attach makes a new
// one). Nothing for a null or detached client.
void LGDisplayLinkDetach(LGDisplayLinkClient* client);
// After the owner changed `activeCount`. A client that became inactive ticks at once when it is
// activated again.
void LGDisplayLinkActivityChanged(LGDisplayLinkClient* client);
// Changes an attached client's rate (clamped to 1 ... screen maximum); a new rate ticks at the
// next frame. Nothing for a null or detached client.
void LGDisplayLinkSetFramesPerSecond(LGDisplayLinkClient* client, std::int64_t framesPerSecond);

// The shared link while any client is attached, else nullptr.
std::shared_ptr<ui::DisplayLink> LGDisplayLinkShared();
// How many clients are attached.
std::size_t LGDisplayLinkClientCount();

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/dispatch/Time.h"

namespace dispatch {

namespace detail {
class TimerScheduler;
}

// A FIFO queue of blocks run one at a time: the main queue, drained by the main loop on the main
// thread, or a serial queue with a thread of its own.
//
// A serial queue lives as long as someone holds it. When the last reference goes, the blocks
// already queued still run, in order, and the call that dropped it waits for them (unless it is
// the queue's own thread), so never drop it on a thread those blocks wait for. Delayed blocks and
// timers aimed at a queue that is gone are dropped without running.
class Queue : public std::enable_shared_from_this<Queue> {
  public:
    using Block = std::function<void()>;

    virtual ~Queue();
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    // The process's main queue, labelled "com.apple.main-thread"; it lives as long as the
    // process. (Defined in MainQueue.cpp.)
    static std::shared_ptr<Queue> main();

    // A new serial queue with its own thread; nullptr when no thread can be started.
    // (Defined in SerialQueue.cpp.)
    static std::shared_ptr<Queue> createSerial(std::string label);

    const std::string& label() const { return label_; }

    // Whether the calling code runs on this queue (for the main queue: on the main thread).
    virtual bool isCurrent() const = 0;

    // Queues `block` after everything already queued; returns at once. Empty blocks are ignored.
    void async(Block block);

    // Queues `block` once `delay` nanoseconds of media time have passed (0 or less: at once).
    void after(Nanos delay, Block block);

    // Runs `block` on the queue and waits for it. Called from the queue itself (the main thread
    // for the main queue) the block runs inline rather than deadlocking.
    void sync(const std::function<void()>& block);

  protected:
    explicit Queue(std::string label);

    // Appends a non-empty block; never runs it inline.
    virtual void enqueue(Block block) = 0;

  private:
    friend class detail::TimerScheduler;

    std::string label_;
};

}  // namespace dispatch

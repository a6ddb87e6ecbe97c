#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/detail/Immortal.h"

namespace dispatch {

namespace detail {

// The main queue has no thread of its own: the main loop drains it (pass 1 of each turn).
class MainQueue final : public Queue {
  public:
    MainQueue() : Queue("com.apple.main-thread") {}

    bool isCurrent() const override { return isMainThread(); }

  protected:
    void enqueue(Block block) override { RunLoop::main().enqueueBlock(std::move(block)); }
};

}  // namespace detail

std::shared_ptr<Queue> Queue::main() {
    static detail::Immortal<std::shared_ptr<Queue>> queue{std::make_shared<detail::MainQueue>()};
    return queue.value;
}

}  // namespace dispatch

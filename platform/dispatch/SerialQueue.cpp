#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/dispatch/Queue.h"

namespace dispatch {

namespace {

// The queue whose thread this is; null on threads that are not a serial queue's.
thread_local const void* currentSerialQueue = nullptr;

class SerialQueue final : public Queue {
  public:
    explicit SerialQueue(std::string label)
        : Queue(std::move(label)), state_(std::make_shared<State>()) {}

    // Closing lets the thread finish what is queued and end. Waiting for it makes the end of a
    // queue deterministic for whoever dropped it, except on the queue's own thread (a block
    // that held the last reference), which cannot wait for itself and leaves the thread to
    // finish alone; the thread shares the state, so that is safe.
    ~SerialQueue() override {
        {
            std::lock_guard lock(state_->mutex);
            state_->closing = true;
        }
        state_->wake.notify_all();
        if (!thread_.joinable()) return;
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }

    bool start() {
        try {
            thread_ = std::thread(&SerialQueue::run, state_);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }

    bool isCurrent() const override { return currentSerialQueue == state_.get(); }

  protected:
    void enqueue(Block block) override {
        {
            std::lock_guard lock(state_->mutex);
            state_->blocks.push_back(std::move(block));
        }
        state_->wake.notify_one();
    }

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<Block> blocks;
        bool closing = false;
    };

    static void run(std::shared_ptr<State> state) {
        currentSerialQueue = state.get();
        std::unique_lock lock(state->mutex);
        for (;;) {
            state->wake.wait(lock, [&] { return state->closing || !state->blocks.empty(); });
            if (state->blocks.empty()) return;  // closing, and everything queued has run
            Block block = std::move(state->blocks.front());
            state->blocks.pop_front();
            lock.unlock();
            block();
            // Whatever the block captured dies here, outside the lock: its destructors may
            // queue more work on this very queue.
            block = nullptr;
            lock.lock();
        }
    }

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace

std::shared_ptr<Queue> Queue::createSerial(std::string label) {
    auto queue = std::make_shared<SerialQueue>(std::move(label));
    if (!queue->start()) return nullptr;
    return queue;
}

}  // namespace dispatch

#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>

#include <sys/types.h>

#include "glass/LGMaskEdgeField.h"

// A thread kept for the second band of an edge field search, so that an upload does not pay for
// starting one (about as long as a plain mask upload takes). It sleeps while there is no work.
//
// The mask changes once a minute, so the thread is nearly always woken from a long sleep, and a
// thread woken so is put on the CPU of the thread that woke it, where the two bands would take
// turns instead of running side by side: after an idle spell, two bands took as long as one band
// after the other. So the thread is kept off the caller's CPU while it runs a band, and a band it
// has not begun by the time the caller is done with its own goes back to the caller, so that the
// upload never waits on a band that no CPU has taken up.
class LGMaskBandThread {
  public:
    // The process's band thread; nullptr when none could be started.
    static LGMaskBandThread* shared();

    // Made by shared(); a thread made otherwise never serves (tests use one to see work handed
    // back).
    LGMaskBandThread();

    // Hands work to the thread and returns at once; false, and nothing handed over, when the
    // thread is busy with another caller's work or there is no CPU but the caller's to run it on.
    bool start(const std::function<void()>& work);

    // Returns when the work that start() took is done or handed back: true when the thread ran it
    // to its end; false when it threw (out of memory) or had not begun it, and the caller must do
    // it.
    bool wait();

  private:
    enum class State { Idle, Pending, Running, Done };

    void serve();
    // Keeps the thread to the caller's allowed CPUs but its current one; false when there is no
    // other.
    bool steerAwayFromCaller();

    const pid_t owner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::function<void()> work_;
    State state_ = State::Idle;
    bool failed_ = false;
    std::thread thread_;
};

// Runs work(y0, y1) over drawable rows first...last - 1 in two bands, the second on the band
// thread when there are enough rows to repay handing it over. The bands meet on a tile boundary,
// so each writes rows of the field and of the tiles that the other does not touch, and the result
// does not depend on how the threads run. Without the thread, one band after the other.
template <typename Work>
void LGMaskInTwoBands(std::size_t first, std::size_t last, const Work& work) {
    constexpr std::size_t kFewestRowsForThreads = 4 * kLGMaskEdgeTileSize;
    const std::size_t middle = (first + last) / 2 / kLGMaskEdgeTileSize * kLGMaskEdgeTileSize;
    LGMaskBandThread* thread = nullptr;
    if (last - first >= kFewestRowsForThreads && middle > first) {
        thread = LGMaskBandThread::shared();
    }
    if (!thread || !thread->start([&] { work(middle, last); })) {
        work(first, last);
        return;
    }
    try {
        work(first, middle);
    } catch (...) {
        // The second band reads what the caller owns: it must end before the caller unwinds.
        thread->wait();
        throw;
    }
    if (!thread->wait()) work(middle, last);
}

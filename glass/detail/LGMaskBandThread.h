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
class LGMaskBandThread {
  public:
    // The process's band thread; nullptr when none could be started.
    static LGMaskBandThread* shared();

    // Made only by shared(); public for std::make_unique.
    LGMaskBandThread();

    // Runs work on the thread and returns at once; false, and nothing run, when the thread is
    // busy with another caller's work.
    bool start(const std::function<void()>& work);

    // Returns when the work that start() took is done: true when it ran to its end, false when
    // it threw (out of memory), and the caller must do it.
    bool wait();

  private:
    void serve();

    const pid_t owner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::function<void()> work_;
    bool done_ = true;
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

// Prints what the dispatch primitives cost on this machine: the price of queueing a block on
// the main queue, of a round trip to a serial queue, and of arming and cancelling a timer.
#include <chrono>
#include <cstdio>

#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Timer.h"

using namespace dispatch;

namespace {

template <class Fn>
double nanosPerOp(int count, Fn&& fn) {
    const auto start = std::chrono::steady_clock::now();
    fn(count);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / count;
}

}  // namespace

int main() {
    auto mainQueue = Queue::main();
    auto serial = Queue::createSerial("bench.serial");

    const double mainAsync = nanosPerOp(200000, [&](int n) {
        int sum = 0;
        for (int i = 0; i < n; ++i) mainQueue->async([&sum] { ++sum; });
        while (RunLoop::main().runOnce()) {
        }
    });
    std::printf("main queue async + drain:      %8.1f ns/block\n", mainAsync);

    const double serialSync = nanosPerOp(20000, [&](int n) {
        for (int i = 0; i < n; ++i) serial->sync([] {});
    });
    std::printf("serial queue sync round trip:  %8.1f ns\n", serialSync);

    const double serialAsync = nanosPerOp(200000, [&](int n) {
        for (int i = 0; i < n; ++i) serial->async([] {});
        serial->sync([] {});
    });
    std::printf("serial queue async (drained):  %8.1f ns/block\n", serialAsync);

    auto timer = Timer::create(serial);
    timer->setHandler([] {});
    const double rearm = nanosPerOp(200000, [&](int n) {
        for (int i = 0; i < n; ++i) timer->scheduleAfter(milliseconds(80), 0, milliseconds(20));
    });
    timer->cancel();
    std::printf("timer re-arm (debounce write): %8.1f ns\n", rearm);

    const double afterCancel = nanosPerOp(100000, [&](int n) {
        for (int i = 0; i < n; ++i) {
            auto t = Timer::create(serial);
            t->setHandler([] {});
            t->scheduleAfter(kNanosPerSecond);
            t->cancel();
        }
    });
    std::printf("timer create + arm + cancel:   %8.1f ns\n", afterCancel);
    return 0;
}

#include "glass/detail/LGMaskBandThread.h"

#include <memory>
#include <system_error>

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

LGMaskBandThread::LGMaskBandThread() : owner_(::getpid()) {}

LGMaskBandThread* LGMaskBandThread::shared() {
    static LGMaskBandThread* const thread = [] {
        auto made = std::make_unique<LGMaskBandThread>();
        try {
            made->thread_ = std::thread([raw = made.get()] { raw->serve(); });
        } catch (const std::system_error&) {
            return static_cast<LGMaskBandThread*>(nullptr);
        }
        // Never destroyed: a thread joined from a static destructor could outlive the code it
        // runs, and the thread holds nothing that must be released.
        return made.release();
    }();
    // A child forked without exec has the object but not the thread.
    return thread && thread->owner_ == ::getpid() ? thread : nullptr;
}

bool LGMaskBandThread::start(const std::function<void()>& work) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != State::Idle) return false;
    if (!steerAwayFromCaller()) return false;
    work_ = work;
    state_ = State::Pending;
    wake_.notify_one();
    return true;
}

bool LGMaskBandThread::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (state_ == State::Pending) {
        // Not begun: the caller is free now and does it sooner than a thread still waiting for
        // a CPU would.
        work_ = nullptr;
        state_ = State::Idle;
        return false;
    }
    finished_.wait(lock, [&] { return state_ == State::Done; });
    work_ = nullptr;
    state_ = State::Idle;
    return !failed_;
}

void LGMaskBandThread::serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return state_ == State::Pending; });
        state_ = State::Running;
        const std::function<void()> work = work_;
        lock.unlock();
        bool failed = false;
        try {
            work();
        } catch (...) {
            failed = true;
        }
        lock.lock();
        failed_ = failed;
        state_ = State::Done;
        finished_.notify_all();
    }
}

bool LGMaskBandThread::steerAwayFromCaller() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return true;  // let it run anywhere
    const int here = ::sched_getcpu();
    if (here >= 0 && here < CPU_SETSIZE) CPU_CLR(here, &allowed);
    if (CPU_COUNT(&allowed) == 0) return false;
    // A thread that never started has nothing to steer.
    if (thread_.joinable()) {
        ::pthread_setaffinity_np(thread_.native_handle(), sizeof allowed, &allowed);
    }
    return true;
}

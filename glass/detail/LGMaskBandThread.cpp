#include "glass/detail/LGMaskBandThread.h"

#include <memory>
#include <system_error>

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
    if (work_) return false;
    work_ = work;
    done_ = false;
    wake_.notify_one();
    return true;
}

bool LGMaskBandThread::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return done_; });
    work_ = nullptr;
    return !failed_;
}

void LGMaskBandThread::serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return work_ && !done_; });
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
        done_ = true;
        finished_.notify_all();
    }
}

#include "platform/notify/NotificationCenter.h"

#include <mutex>
#include <vector>

#include "platform/dispatch/Queue.h"

namespace notify {

namespace {

struct Observer {
    NotificationCenter::Token token;
    std::string name;
    const void* object;
    std::shared_ptr<dispatch::Queue> queue;
    // Shared so that a post can run the block after releasing the centre's lock.
    std::shared_ptr<const NotificationCenter::Block> block;
};

}  // namespace

struct NotificationCenter::Impl {
    std::mutex mutex;
    Token nextToken = 1;
    std::vector<Observer> observers;
};

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed: observers may post from other threads while the process exits.
    static NotificationCenter* center = new NotificationCenter();
    return *center;
}

NotificationCenter::NotificationCenter() : impl_(std::make_unique<Impl>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter::Token NotificationCenter::addObserver(std::string name, const void* object,
                                                          std::shared_ptr<dispatch::Queue> queue,
                                                          Block block) {
    if (!block) return 0;
    std::lock_guard lock(impl_->mutex);
    Token token = impl_->nextToken++;
    impl_->observers.push_back({token, std::move(name), object, std::move(queue),
                                std::make_shared<const Block>(std::move(block))});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::lock_guard lock(impl_->mutex);
    std::erase_if(impl_->observers, [token](const Observer& o) { return o.token == token; });
}

void NotificationCenter::post(std::string name, std::shared_ptr<void> object,
                              base::PlistPtr userInfo) {
    std::vector<Observer> matching;
    {
        std::lock_guard lock(impl_->mutex);
        for (const auto& observer : impl_->observers) {
            if (!observer.name.empty() && observer.name != name) continue;
            if (observer.object && observer.object != object.get()) continue;
            matching.push_back(observer);
        }
    }
    if (matching.empty()) return;
    auto notification = std::make_shared<const Notification>(
        Notification{std::move(name), std::move(object), std::move(userInfo)});
    for (const auto& observer : matching) {
        if (!observer.queue || observer.queue->isCurrent()) {
            (*observer.block)(*notification);
        } else {
            observer.queue->async(
                [block = observer.block, notification] { (*block)(*notification); });
        }
    }
}

}  // namespace notify

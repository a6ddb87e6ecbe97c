#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/PropertyList.h"

namespace dispatch {
class Queue;
}

namespace notify {

struct Notification {
    std::string name;
    std::shared_ptr<void> object;  // the sender, or null
    base::PlistPtr userInfo;       // a dictionary, or null
};

// The in-process notification centre: observers register a block for a name (and optionally a
// sender); a post calls every matching block.
//
// A post runs the blocks of observers without a queue synchronously on the posting thread, in
// the order they registered, before it returns. An observer with a queue gets its block run on
// that queue: inline when the post already runs there (the main thread, for the main queue),
// otherwise queued after what the queue already holds, and the post does not wait for it, so a
// post can never deadlock against the queue's thread.
//
// Registrations last until removed; the process's code keeps its registrations for the life of
// the process. All members may be called from any thread, and from inside an observer's block.
class NotificationCenter {
  public:
    using Block = std::function<void(const Notification&)>;
    using Token = std::uint64_t;  // 0 is never a valid token

    // The process's default centre; it lives as long as the process.
    static NotificationCenter& defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Calls `block` for every post of `name` (every name, when empty) from `object` (any sender,
    // when null). Returns 0 and registers nothing for an empty block.
    Token addObserver(std::string name, const void* object, std::shared_ptr<dispatch::Queue> queue,
                      Block block);

    // Later posts no longer reach the block; a post already under way on another thread, or a
    // delivery already queued, may still run it once.
    void removeObserver(Token token);

    void post(std::string name, std::shared_ptr<void> object = nullptr,
              base::PlistPtr userInfo = nullptr);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace notify

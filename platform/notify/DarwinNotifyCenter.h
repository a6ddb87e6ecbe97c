#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace notify {

// Cross-process named notifications: a post of a name reaches every process of the same user on
// the same device root that observes the name, including the posting process itself.
//
// There is no daemon. Processes meet in a registry folder,
//     <device root>/var/run/quorvane-notify/<uid>/
// which belongs to that user and is closed to everyone else (mode 0700; the folder above it is
// sticky and writable by all, like /tmp). Each process that observes at least one name keeps one
// entry there: a FIFO named "<pid>-<sequence>-<random>.fifo" that only it reads, held open for
// reading and writing so that it never sees end-of-file. The FIFO is opened before it is renamed
// into place and removed before it is closed, so an entry that exists always has a reader while
// its process lives.
//
// A post opens every entry for writing without blocking and writes the name and a line feed in one
// write() of at most PIPE_BUF bytes, which the kernel never splits or interleaves. Then:
// - An entry nobody reads any more (its process died, even by SIGKILL) refuses the open with
//   ENXIO; the poster removes it. Stale entries are thus cleaned by the next post.
// - A receiver that stopped reading (stopped, or stuck in a callback) fills its FIFO; the write
//   fails with EAGAIN and the notification is dropped for that receiver only. A post never waits
//   for another process.
// - Another user's folder is never listed, and another device root is another folder, so posts
//   do not leak across users or roots.
//
// Each observing process runs one delivery thread that reads its FIFO and calls the callbacks of
// the names it reads, on that thread. Names that arrive together are delivered once (coalesced),
// in order of first arrival. A process forked without exec must not use a centre its parent had
// already started; it gets its own after exec.
class DarwinNotifyCenter {
  public:
    using Callback = std::function<void(const std::string& name)>;
    using Token = std::uint64_t;  // 0 is never a valid token

    static constexpr size_t kMaxNameLength = 1000;

    // The centre of the current device root and effective user. Centres live as long as the
    // process; at exit, entries are removed and deliveries stop.
    static DarwinNotifyCenter& shared();

    // A centre over the registry folder `registryDirectory`, for tests. It must be (or become) a
    // folder owned by the effective user with no access for others.
    explicit DarwinNotifyCenter(std::string registryDirectory);
    // Stops the delivery thread and removes this centre's entry. Not from a callback.
    ~DarwinNotifyCenter();
    DarwinNotifyCenter(const DarwinNotifyCenter&) = delete;
    DarwinNotifyCenter& operator=(const DarwinNotifyCenter&) = delete;

    // The registry folder for `uid` under the device root `deviceRoot` (host paths).
    static std::string registryDirectoryFor(const std::string& deviceRoot, uid_t uid);

    // Non-empty, at most kMaxNameLength bytes, no line feed, no NUL.
    static bool isValidName(std::string_view name);

    // Calls `callback` on the delivery thread for every post of `name`. Returns 0 and registers
    // nothing when the name is not valid, the callback is empty, or the registry folder cannot be
    // made safely (missing permissions, or a folder owned by someone else).
    Token addObserver(std::string name, Callback callback);

    // After this returns the callback is not running and will not run again, unless it is
    // called from the callback itself, where the current call finishes normally.
    void removeObserver(Token token);

    // Sends `name` to every observing process. Returns false only for an invalid name or an
    // unsafe registry folder; a post that nobody observes succeeds.
    bool post(std::string_view name);

    const std::string& registryDirectory() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace notify

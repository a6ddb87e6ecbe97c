#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/base/DeviceRoot.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/Queue.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"

namespace {

constexpr char kLogPath[] = "/tmp/Quorvane.log";
constexpr char kLogQueueLabel[] = "com.velk.quorvane.logfile";
constexpr char kPrefix[] = "[Quorvane] ";

struct LogState {
    std::mutex mutex;  // guards the fields below, not the file handle
    bool pathResolved = false;
    std::string path;  // the host path of kLogPath, resolved once
    std::shared_ptr<dispatch::Queue> queue;
    bool exitHandlerInstalled = false;
    std::function<void(std::string_view)> consoleSink;

    // Touched only on the log queue (or by the exit handler when there is no queue).
    int fd = -1;
};

LogState& state() {
    // Never destroyed: other threads may log while the process exits.
    static LogState* instance = new LogState();
    return *instance;
}

// The console sink. The line is written in one call so that lines of different threads do not
// mix.
void writeConsole(std::string_view message) {
    std::string line = kPrefix;
    line += message;
    std::function<void(std::string_view)> sink;
    {
        std::lock_guard lock(state().mutex);
        sink = state().consoleSink;
    }
    if (sink) {
        sink(line);
        return;
    }
    line += '\n';
    [[maybe_unused]] auto written = ::write(STDERR_FILENO, line.data(), line.size());
}

// Log queue only.
void closeFile() {
    auto& s = state();
    if (s.fd >= 0) {
        ::close(s.fd);
        s.fd = -1;
    }
}

// Whether `fd` is still the file at `path`; a deleted or replaced log file is reopened rather
// than written into a file nobody can see any more.
bool isStillAtPath(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    if (::fstat(fd, &open) != 0 || ::lstat(path.c_str(), &named) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Log queue only. The path is shared by every process and user of the device, so it is treated
// as hostile: symbolic links are never followed and only a regular file of our own user is
// appended to.
void appendLine(const std::string& path, const std::string& line) {
    auto& s = state();

    // Step 1: create the file if it does not exist. O_EXCL with O_NOFOLLOW refuses any existing
    // name, a dangling symbolic link included.
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            writeConsole(std::string("log file create failed ") + std::strerror(errno));
            return;
        }
        int created =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (created < 0 && errno != EEXIST) {
            writeConsole(std::string("log file create failed ") + std::strerror(errno));
            return;
        }
        if (created >= 0) ::close(created);
    }

    // Step 2: an empty line is dropped silently.
    if (line.empty()) return;

    // Step 3: open a handle if there is none (or the file changed under the one we have).
    if (s.fd >= 0 && !isStillAtPath(s.fd, path)) closeFile();
    if (s.fd < 0) {
        if (::lstat(path.c_str(), &info) == 0 &&
            (S_ISLNK(info.st_mode) || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())) {
            writeConsole("log file open failed " + path +
                         (S_ISLNK(info.st_mode) ? " (symbolic link refused)"
                                                : " (not a regular file owned by this user)"));
            return;
        }
        // The checks are repeated on the handle itself, in case the path changed in between;
        // O_NONBLOCK keeps a FIFO swapped in meanwhile from hanging the queue.
        int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            std::string reason = errno == ELOOP ? "symbolic link refused" : std::strerror(errno);
            writeConsole("log file open failed " + path + " (" + reason + ")");
            return;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_uid != ::geteuid()) {
            ::close(fd);
            writeConsole("log file open failed " + path +
                         " (not a regular file owned by this user)");
            return;
        }
        s.fd = fd;
    }

    // Step 4: append. O_APPEND moves to the end and writes in one step, so lines of processes
    // appending at the same time never overwrite each other.
    const char* bytes = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t n = ::write(s.fd, bytes, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Step 5: on an error, close and report; the next line opens a new handle.
            int error = n < 0 ? errno : 0;
            closeFile();
            writeConsole(std::string("log file append failed ") +
                         (error ? std::strerror(error) : "unknown"));
            return;
        }
        bytes += n;
        left -= size_t(n);
    }
}

// Registered once, with the queue. Closing on the queue runs after every append already queued.
void drainAtExit() {
    std::shared_ptr<dispatch::Queue> queue;
    {
        std::lock_guard lock(state().mutex);
        queue = state().queue;
    }
    if (queue) {
        queue->sync(closeFile);
    } else {
        closeFile();
    }
}

}  // namespace

void LGLogMessage(std::string_view message) {
    writeConsole(message);

    std::string line = kPrefix;
    line += message;
    line += '\n';

    std::shared_ptr<dispatch::Queue> queue;
    std::string path;
    {
        auto& s = state();
        std::lock_guard lock(s.mutex);
        if (!s.pathResolved) {
            s.path = base::resolveDevicePath(kLogPath);
            s.pathResolved = true;
        }
        path = s.path;
        if (path.empty()) return;
        if (!s.queue) {
            s.queue = dispatch::Queue::createSerial(kLogQueueLabel);
            if (!s.exitHandlerInstalled && s.queue) {
                s.exitHandlerInstalled = true;
                std::atexit(drainAtExit);
            }
        }
        queue = s.queue;
    }
    if (!queue) return;
    queue->async([path = std::move(path), line = std::move(line)] { appendLine(path, line); });
}

void LGAssertMainThread() {
    if (dispatch::isMainThread()) return;
    std::fprintf(stderr,
                 "*** Assertion failure in void LGAssertMainThread(void), LGSharedSupport:%d\n"
                 "*** Terminating app due to uncaught exception: Quorvane main thread only\n",
                 __LINE__);
    std::fflush(stderr);
    std::abort();
}

namespace lg::detail {

std::shared_ptr<dispatch::Queue> existingLogQueue() {
    std::lock_guard lock(state().mutex);
    return state().queue;
}

void setConsoleSinkForTesting(std::function<void(std::string_view line)> sink) {
    std::lock_guard lock(state().mutex);
    state().consoleSink = std::move(sink);
}

void resetLogForTesting() {
    if (auto queue = existingLogQueue()) queue->sync(closeFile);
    std::lock_guard lock(state().mutex);
    state().pathResolved = false;
    state().path.clear();
}

}  // namespace lg::detail

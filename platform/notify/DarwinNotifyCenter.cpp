#include "platform/notify/DarwinNotifyCenter.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "platform/base/DeviceRoot.h"

namespace notify {

namespace {

constexpr char kRegistryFolder[] = "/var/run/quorvane-notify";
constexpr char kEntrySuffix[] = ".fifo";

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

// The registry folder is private to its user. Anything else at that path (a folder someone else
// made, a symbolic link, a folder others may enter) is refused rather than used.
bool isPrivateFolder(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

bool makePrivateFolder(const std::string& path) {
    if (isPrivateFolder(path)) return true;
    std::string shared = parentOf(path);
    if (!base::makeDirectories(parentOf(shared))) return false;
    // The shared parent is open to every user, like /tmp, so each user can add a folder.
    if (::mkdir(shared.c_str(), 01777) == 0) ::chmod(shared.c_str(), 01777);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return isPrivateFolder(path);
}

std::string randomSuffix() {
    std::random_device device;
    uint64_t value = (uint64_t(device()) << 32) ^ device();
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
    return buffer;
}

// Entries of this process to remove at exit, for centres that are never destroyed.
struct ExitRegistry {
    std::mutex mutex;
    std::vector<DarwinNotifyCenter*> centres;
    std::atomic<bool> exiting{false};
};

ExitRegistry& exitRegistry() {
    static ExitRegistry* registry = new ExitRegistry();
    return *registry;
}

}  // namespace

struct DarwinNotifyCenter::Impl {
    std::string directory;

    std::mutex mutex;  // guards everything below but the delivery lock
    Token nextToken = 1;
    std::map<Token, std::pair<std::string, std::shared_ptr<const Callback>>> observers;

    // The entry and its delivery thread, started with the first observer.
    pid_t ownerPid = 0;
    std::string entryPath;
    int readFd = -1;
    int wakeFds[2] = {-1, -1};
    std::thread thread;
    std::atomic<std::thread::id> deliveryThreadId{};

    // Held while callbacks run, so that removeObserver() can wait for a running callback.
    std::mutex deliveryMutex;
    bool stopped = false;  // under deliveryMutex

    bool startEntryLocked();
    void stopEntry();
    void deliveryLoop();
    void deliver(const std::vector<std::string>& names);
};

bool DarwinNotifyCenter::Impl::startEntryLocked() {
    if (readFd >= 0) return ownerPid == ::getpid();
    if (!makePrivateFolder(directory)) return false;

    static std::atomic<uint64_t> sequence{0};
    std::string name = std::to_string(::getpid()) + "-" + std::to_string(sequence++) + "-" +
                       randomSuffix() + kEntrySuffix;
    std::string finalPath = directory + "/" + name;
    std::string pendingPath = finalPath + ".new";

    // Pass 1: make the FIFO under a name posters ignore, and become its reader.
    if (::mkfifo(pendingPath.c_str(), 0600) != 0) return false;
    int fd = ::open(pendingPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        ::unlink(pendingPath.c_str());
        return false;
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(fd);
        ::unlink(pendingPath.c_str());
        return false;
    }
    // Pass 2: publish it; from here on posters reach us.
    if (::rename(pendingPath.c_str(), finalPath.c_str()) != 0) {
        ::close(fd);
        ::close(wake[0]);
        ::close(wake[1]);
        ::unlink(pendingPath.c_str());
        return false;
    }
    readFd = fd;
    wakeFds[0] = wake[0];
    wakeFds[1] = wake[1];
    entryPath = finalPath;
    ownerPid = ::getpid();
    thread = std::thread([this] { deliveryLoop(); });
    return true;
}

void DarwinNotifyCenter::Impl::stopEntry() {
    std::thread toJoin;
    {
        std::lock_guard lock(mutex);
        if (readFd < 0 || ownerPid != ::getpid()) return;
        // Remove before closing: an entry on disk always has a live reader.
        ::unlink(entryPath.c_str());
        char byte = 1;
        [[maybe_unused]] auto ignored = ::write(wakeFds[1], &byte, 1);
        toJoin = std::move(thread);
    }
    if (toJoin.joinable()) toJoin.join();
    std::lock_guard lock(mutex);
    ::close(readFd);
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    readFd = wakeFds[0] = wakeFds[1] = -1;
}

void DarwinNotifyCenter::Impl::deliveryLoop() {
    deliveryThreadId = std::this_thread::get_id();
    std::string pending;  // bytes after the last complete line
    char buffer[8192];
    for (;;) {
        pollfd fds[2] = {{readFd, POLLIN, 0}, {wakeFds[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;

        // Read everything there is, then deliver each name once.
        for (;;) {
            ssize_t n = ::read(readFd, buffer, sizeof buffer);
            if (n > 0) {
                pending.append(buffer, size_t(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            break;
        }
        std::vector<std::string> names;
        size_t start = 0;
        for (size_t newline; (newline = pending.find('\n', start)) != std::string::npos;
             start = newline + 1) {
            std::string name = pending.substr(start, newline - start);
            if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(std::move(name));
            }
        }
        pending.erase(0, start);
        if (!names.empty()) deliver(names);
    }
}

void DarwinNotifyCenter::Impl::deliver(const std::vector<std::string>& names) {
    std::lock_guard deliveryLock(deliveryMutex);
    if (stopped || exitRegistry().exiting) return;
    for (const auto& name : names) {
        std::vector<std::shared_ptr<const Callback>> callbacks;
        {
            std::lock_guard lock(mutex);
            for (const auto& [token, observer] : observers) {
                if (observer.first == name) callbacks.push_back(observer.second);
            }
        }
        for (const auto& callback : callbacks) (*callback)(name);
    }
}

DarwinNotifyCenter& DarwinNotifyCenter::shared() {
    static std::mutex mutex;
    static auto* centres = new std::map<std::string, DarwinNotifyCenter*>();
    std::string directory = registryDirectoryFor(base::deviceRoot(), ::geteuid());
    std::lock_guard lock(mutex);
    auto& centre = (*centres)[directory];
    if (!centre) {
        // Never destroyed: the exit handler removes the entry and stops deliveries instead.
        centre = new DarwinNotifyCenter(directory);
        auto& registry = exitRegistry();
        std::lock_guard registryLock(registry.mutex);
        static bool handlerInstalled = false;
        if (!handlerInstalled) {
            handlerInstalled = true;
            std::atexit([] {
                auto& r = exitRegistry();
                std::lock_guard l(r.mutex);
                r.exiting = true;
                for (auto* c : r.centres) {
                    // Waits for a callback in flight; none starts afterwards.
                    {
                        std::lock_guard deliveryLock(c->impl_->deliveryMutex);
                        c->impl_->stopped = true;
                    }
                    std::lock_guard entryLock(c->impl_->mutex);
                    if (c->impl_->readFd >= 0 && c->impl_->ownerPid == ::getpid()) {
                        ::unlink(c->impl_->entryPath.c_str());
                    }
                }
            });
        }
        registry.centres.push_back(centre);
    }
    return *centre;
}

DarwinNotifyCenter::DarwinNotifyCenter(std::string registryDirectory)
    : impl_(std::make_unique<Impl>()) {
    impl_->directory = std::move(registryDirectory);
}

DarwinNotifyCenter::~DarwinNotifyCenter() {
    {
        std::lock_guard deliveryLock(impl_->deliveryMutex);
        impl_->stopped = true;
    }
    impl_->stopEntry();
}

std::string DarwinNotifyCenter::registryDirectoryFor(const std::string& deviceRoot, uid_t uid) {
    std::string root = deviceRoot == "/" ? "" : deviceRoot;
    return root + kRegistryFolder + "/" + std::to_string(uid);
}

bool DarwinNotifyCenter::isValidName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxNameLength &&
           name.find('\n') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

const std::string& DarwinNotifyCenter::registryDirectory() const {
    return impl_->directory;
}

DarwinNotifyCenter::Token DarwinNotifyCenter::addObserver(std::string name, Callback callback) {
    if (!isValidName(name) || !callback) return 0;
    std::lock_guard lock(impl_->mutex);
    if (!impl_->startEntryLocked()) return 0;
    Token token = impl_->nextToken++;
    impl_->observers.emplace(
        token,
        std::make_pair(std::move(name), std::make_shared<const Callback>(std::move(callback))));
    return token;
}

void DarwinNotifyCenter::removeObserver(Token token) {
    bool onDeliveryThread = impl_->deliveryThreadId.load() == std::this_thread::get_id();
    std::unique_lock<std::mutex> deliveryLock;
    if (!onDeliveryThread) deliveryLock = std::unique_lock(impl_->deliveryMutex);
    std::lock_guard lock(impl_->mutex);
    impl_->observers.erase(token);
}

bool DarwinNotifyCenter::post(std::string_view name) {
    if (!isValidName(name)) return false;
    const std::string& directory = impl_->directory;
    struct stat info {};
    if (::lstat(directory.c_str(), &info) != 0) return errno == ENOENT;  // nobody observes yet
    if (!isPrivateFolder(directory)) return false;

    std::string message(name);
    message += '\n';
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return false;
    std::vector<std::string> entries;
    while (dirent* entry = ::readdir(dir)) {
        if (endsWith(entry->d_name, kEntrySuffix)) entries.emplace_back(entry->d_name);
    }
    ::closedir(dir);

    for (const auto& entry : entries) {
        std::string path = directory + "/" + entry;
        int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            // ENXIO: a FIFO without a reader, whose process is gone.
            if (errno == ENXIO) ::unlink(path.c_str());
            continue;
        }
        struct stat entryInfo {};
        if (::fstat(fd, &entryInfo) == 0 && S_ISFIFO(entryInfo.st_mode)) {
            // A full FIFO belongs to a receiver that stopped reading; it misses this post.
            [[maybe_unused]] auto written = ::write(fd, message.data(), message.size());
        }
        ::close(fd);
    }
    return true;
}

}  // namespace notify

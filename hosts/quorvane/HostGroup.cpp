#include "hosts/quorvane/HostGroup.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

HostGroup::HostGroup() {
    sigemptyset(&watched_);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&watched_, signal);
    ::sigprocmask(SIG_BLOCK, &watched_, &previousMask_);
}

HostGroup::~HostGroup() {
    stop();
    // Signals that arrived meanwhile stay pending and would act on the restored mask; the ones
    // meant for the group were handled.
    timespec none{};
    while (::sigtimedwait(&watched_, nullptr, &none) > 0) {
    }
    ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
}

bool HostGroup::start(std::string name, std::string path, std::vector<std::string> argv,
                      std::string& error) {
    std::vector<char*> raw;
    for (auto& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const pid_t parent = ::getpid();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        error = "cannot start the " + name + " host: " + std::strerror(errno);
        return false;
    }
    if (child == 0) {
        ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The command may have died between fork and prctl; then nobody would stop this host.
        if (::getppid() != parent) ::_exit(1);
        ::execv(path.c_str(), raw.data());
        std::fprintf(stderr, "quorvane preview: cannot run %s: %s\n", path.c_str(),
                     std::strerror(errno));
        ::_exit(127);
    }
    hosts_.push_back({std::move(name), std::move(path), std::move(argv), child, true, 0});
    return true;
}

const HostGroup::Host* HostGroup::reap() {
    const Host* first = nullptr;
    for (auto& host : hosts_) {
        if (!host.running) continue;
        int status = 0;
        const pid_t pid = ::waitpid(host.pid, &status, WNOHANG);
        if (pid != host.pid) continue;
        host.running = false;
        host.status = status;
        if (!first) first = &host;
    }
    return first;
}

HostGroup::Ending HostGroup::wait() {
    for (;;) {
        // A host that ended before the wait began left its SIGCHLD pending; reaping first covers
        // a host that ended before this process blocked the signal too.
        if (const Host* ended = reap()) return {false, ended};
        siginfo_t info{};
        const int signal = ::sigwaitinfo(&watched_, &info);
        if (signal < 0) {
            if (errno == EINTR) continue;
            return {true, nullptr};
        }
        if (signal != SIGCHLD) return {true, nullptr};
    }
}

void HostGroup::stop(double graceSeconds) {
    bool any = false;
    for (const auto& host : hosts_) {
        if (host.running && ::kill(host.pid, SIGTERM) == 0) any = true;
    }
    if (!any) {
        reap();
        return;
    }
    // Pass 1: the grace period, woken by each child that ends.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(graceSeconds);
    sigset_t childOnly;
    sigemptyset(&childOnly);
    sigaddset(&childOnly, SIGCHLD);
    for (;;) {
        reap();
        bool running = false;
        for (const auto& host : hosts_) running = running || host.running;
        if (!running) return;
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds(0)) break;
        const auto slice = std::min<std::chrono::nanoseconds>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(left),
            std::chrono::milliseconds(100));
        timespec timeout{0, long(slice.count())};
        ::sigtimedwait(&childOnly, nullptr, &timeout);
    }
    // Pass 2: what did not stop is ended, and every host is reaped.
    for (auto& host : hosts_) {
        if (!host.running) continue;
        ::kill(host.pid, SIGKILL);
        int status = 0;
        while (::waitpid(host.pid, &status, 0) < 0 && errno == EINTR) {
        }
        host.running = false;
        host.status = status;
    }
}

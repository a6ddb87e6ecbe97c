#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string>
#include <vector>

// Host programs that live and die together: `quorvane preview` starts the home-screen host and
// the Settings host and ends both as soon as either ends or the command is asked to stop.
//
// While the group runs, SIGINT, SIGTERM, SIGHUP and SIGCHLD are blocked in this process and
// taken synchronously, so a signal that arrives at any moment is never lost between a check and
// a wait; the hosts start with the signal mask this process had before. Each host is also told to
// stop when this process dies (PR_SET_PDEATHSIG), so not even a SIGKILL of the command leaves a
// window behind. Every host started is reaped before stop() returns.
class HostGroup {
  public:
    struct Host {
        std::string name;  // "home-screen", "Settings": the name in messages
        std::string path;
        std::vector<std::string> argv;  // argv[0] included
        pid_t pid = -1;
        bool running = false;
        int status = 0;  // waitpid's status once it ended
    };

    // How the group's run ended.
    struct Ending {
        bool signalled = false;       // the command was asked to stop (SIGINT, SIGTERM, SIGHUP)
        const Host* first = nullptr;  // otherwise the host that ended first
    };

    HostGroup();
    ~HostGroup();
    HostGroup(const HostGroup&) = delete;
    HostGroup& operator=(const HostGroup&) = delete;

    // Starts one host. False, with `error` set, when it cannot be started; the hosts started
    // before it keep running until stop().
    bool start(std::string name, std::string path, std::vector<std::string> argv,
               std::string& error);
    const std::vector<Host>& hosts() const { return hosts_; }

    // Waits until a host ends or the command is asked to stop.
    Ending wait();

    // Asks every host still running to stop (SIGTERM), gives them `graceSeconds` to do so, ends
    // the rest with SIGKILL, and reaps them all.
    void stop(double graceSeconds = 5);

  private:
    // Reaps hosts that ended; returns the first one found, or nullptr.
    const Host* reap();

    std::vector<Host> hosts_;
    sigset_t watched_{};
    sigset_t previousMask_{};
};

#pragma once

// A private X display for tests and benchmarks that open windows: an Xvfb server started on a
// display number it picks itself (-displayfd), so runs in parallel never share a display, and
// stopped with the object. Header-only: tests and benchmarks each include it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

class XvfbDisplay {
  public:
    // The Xvfb program on PATH, or empty when it is not installed.
    static std::string program() {
        const char* path = std::getenv("PATH");
        std::string folders = path ? path : "/usr/bin:/bin";
        for (std::size_t start = 0; start <= folders.size();) {
            const std::size_t end = folders.find(':', start);
            const std::string folder =
                folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
            const std::string candidate = (folder.empty() ? "." : folder) + "/Xvfb";
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
            if (end == std::string::npos) break;
            start = end + 1;
        }
        return {};
    }

    // Starts the server with a screen of `width` x `height` pixels and waits (up to 30 s) until
    // it says which display it serves. name() is empty when that failed.
    XvfbDisplay(int width, int height) {
        const std::string xvfb = program();
        int fds[2];
        if (xvfb.empty() || ::pipe(fds) != 0) return;
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            if (devnull >= 0) {
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
            }
            const std::string fd = std::to_string(fds[1]);
            ::execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                    "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid_ < 0) {
            ::close(fds[0]);
            return;
        }
        // The server writes the display number and a newline once it accepts clients.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c = 0;
            if (::read(fds[0], &c, 1) != 1) break;
            if (c == '\n') {
                name_ = ":" + number;
                break;
            }
            number += c;
        }
        ::close(fds[0]);
    }

    ~XvfbDisplay() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

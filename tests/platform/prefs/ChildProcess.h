#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A helper program started by a test, with its standard input and output connected to pipes.
// Tests synchronise with it only through explicit messages on those pipes; time limits are
// failure guards, never part of the expected behaviour.
class ChildProcess {
  public:
    // Starts `argv[0]` with the arguments; extra environment entries are "NAME=value".
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnvironment = {}) {
        // Everything the child needs is prepared before fork(): after it, a child of a
        // multi-threaded parent may only call async-signal-safe functions.
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<char*> env;
        for (const auto& entry : extraEnvironment) env.push_back(const_cast<char*>(entry.c_str()));
        for (char** e = environ; *e; ++e) env.push_back(*e);
        env.push_back(nullptr);

        int toChild[2], fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(toChild[0], STDIN_FILENO);
            ::dup2(fromChild[1], STDOUT_FILENO);
            ::execve(args[0], args.data(), env.data());
            ::_exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in_ = toChild[1];
        out_ = fromChild[0];
    }

    ~ChildProcess() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (in_ >= 0) ::close(in_);
        if (out_ >= 0) ::close(out_);
    }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    bool send(const std::string& text) {
        return ::write(in_, text.data(), text.size()) == ssize_t(text.size());
    }

    // The next line the child writes (without its line feed); nullopt at end of output or when
    // `limit` passes first.
    std::optional<std::string> readLine(
        std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (auto newline = buffer_.find('\n'); newline != std::string::npos) {
                std::string line = buffer_.substr(0, newline);
                buffer_.erase(0, newline + 1);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd fd{out_, POLLIN, 0};
            if (::poll(&fd, 1, int(left.count())) <= 0) continue;
            char chunk[4096];
            ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, size_t(n));
        }
    }

    void signal(int sig) { ::kill(pid_, sig); }

    // Sends SIGSTOP and returns once the child has actually stopped.
    bool stop() {
        ::kill(pid_, SIGSTOP);
        int status = 0;
        return ::waitpid(pid_, &status, WUNTRACED) == pid_ && WIFSTOPPED(status);
    }

    // Waits for the child to end; its exit status, or 128 + signal.
    int wait() {
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) return -1;
        exited_ = true;
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
        return -1;
    }

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    bool exited_ = false;
    std::string buffer_;
};

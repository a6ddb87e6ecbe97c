#pragma once

// Tests that run the home-screen host as a real process on a fresh device root. The test target
// defines HOMESCREEN_BIN, the host program's path.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageFile.h"

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class HostProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-host-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        out_ = root_ + "/out";
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    // The host's command line on this root, writing its snapshots into out_.
    std::string hostCommand(const std::string& arguments) const {
        return std::string(HOMESCREEN_BIN) + " --device-root " + root_ + " -o " + out_ + " " +
               arguments;
    }

    // The host's exit status; its output (both streams) is in output_.
    int run(const std::string& arguments) {
        const std::string log = root_ + "/host.txt";
        const int status = std::system((hostCommand(arguments) + " >" + log + " 2>&1").c_str());
        output_ = readWholeFile(log);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Writes a scene script and returns its path.
    std::string script(const std::string& text) {
        const std::string path = root_ + "/scene-" + std::to_string(++scripts_) + ".json";
        std::ofstream(path) << text;
        return path;
    }

    // Starts the host on `arguments` in the background, its output going to `log`; then waits
    // (up to 90 s of real time) until the scene has written `readyFile` into out_. -1 on failure.
    pid_t startHost(const std::string& arguments, const std::string& log,
                    const std::string& readyFile) {
        const pid_t host = ::fork();
        if (host == 0) {
            const std::string command = hostCommand(arguments) + " >" + log + " 2>&1";
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (host < 0) return -1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        while (!std::filesystem::exists(out_ + "/" + readyFile) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return host;
    }
    // The exit status of a host started with startHost; -1 when it did not exit normally.
    static int waitHost(pid_t host) {
        int status = 0;
        if (::waitpid(host, &status, 0) != host) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    graphics::ImageRef picture(const std::string& name) {
        std::string reason;
        auto image = graphics::readImageFile(out_ + "/" + name, &reason);
        EXPECT_NE(image, nullptr) << reason;
        return image;
    }

    std::string root_;
    std::string out_;
    std::string output_;
    int scripts_ = 0;
};

// A second process for the notification tests. Usage:
//   qv_notify_helper [--uid N] <device root> [name to observe...]
// It prints "ready" once its observers are registered and "got <name>" for every delivery, and
// reads commands from stdin: "post <name>" posts, "quit" (or end of input) exits.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>

#include "platform/notify/DarwinNotifyCenter.h"

int main(int argc, char** argv) {
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--uid") {
        uid_t uid = uid_t(std::atoi(argv[2]));
        if (::setgid(uid) != 0 || ::setuid(uid) != 0) return 3;
        first = 3;
    }
    if (first >= argc) return 2;
    std::string root = argv[first];
    notify::DarwinNotifyCenter center(
        notify::DarwinNotifyCenter::registryDirectoryFor(root, ::geteuid()));

    static std::mutex outputMutex;
    for (int i = first + 1; i < argc; ++i) {
        auto token = center.addObserver(argv[i], [](const std::string& name) {
            std::lock_guard lock(outputMutex);
            std::printf("got %s\n", name.c_str());
            std::fflush(stdout);
        });
        if (!token) return 4;
    }
    {
        std::lock_guard lock(outputMutex);
        std::puts("ready");
        std::fflush(stdout);
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "quit") break;
        if (line.rfind("post ", 0) == 0) {
            bool ok = center.post(line.substr(5));
            std::lock_guard lock(outputMutex);
            std::printf("posted %s\n", ok ? "ok" : "failed");
            std::fflush(stdout);
        }
    }
    return 0;
}

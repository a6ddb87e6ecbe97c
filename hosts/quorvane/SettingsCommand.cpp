#include "hosts/quorvane/SettingsCommand.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool has(const std::vector<std::string>& args, const char* option) {
    return std::find(args.begin(), args.end(), option) != args.end();
}

// The host program: beside this one in an install, or where the build put it.
std::string settingsPath() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        std::string dir(self);
        dir.erase(dir.find_last_of('/') + 1);
        const std::string sibling = dir + "settings";
        if (::access(sibling.c_str(), X_OK) == 0) return sibling;
    }
    return QV_SETTINGS_PATH;
}

}  // namespace

int runSettingsCommand(const std::vector<std::string>& args, const std::string& deviceRoot) {
    const bool help = has(args, "--help") || has(args, "-h");
    const bool informational = help || has(args, "--version");
    std::vector<std::string> argv = {"settings"};
    if (!has(args, "--device-root")) argv.insert(argv.end(), {"--device-root", deviceRoot});
    if (!has(args, "--script") && !informational) argv.push_back("--default-scene");
    argv.insert(argv.end(), args.begin(), args.end());
    if (!has(args, "--script") && !informational && !has(args, "--output-dir") &&
        !has(args, "-o")) {
        argv.insert(argv.end(), {"--output-dir", "out"});
    }
    if (help) {
        std::printf(
            "quorvane settings runs the Settings host (by default on its built-in scene,\n"
            "writing into out/); it takes the host's options:\n\n");
    }

    std::vector<char*> raw;
    for (auto& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const std::string path = settingsPath();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "quorvane settings: cannot start the host: %s\n",
                     std::strerror(errno));
        return 1;
    }
    if (child == 0) {
        ::execv(path.c_str(), raw.data());
        std::fprintf(stderr, "quorvane settings: cannot run %s: %s\n", path.c_str(),
                     std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return 1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    std::fprintf(stderr, "quorvane settings: the host stopped on signal %d\n", WTERMSIG(status));
    return 1;
}

#include "hosts/quorvane/LockscreenCommand.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The host program: beside this one in an install, or where the build put it.
std::string homescreenPath() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        std::string dir(self);
        dir.erase(dir.find_last_of('/') + 1);
        const std::string sibling = dir + "homescreen";
        if (::access(sibling.c_str(), X_OK) == 0) return sibling;
    }
    return QV_HOMESCREEN_PATH;
}

}  // namespace

int runLockscreenCommand(const std::vector<std::string>& args, const std::string& deviceRoot) {
    const bool wantsHelp = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a == "--help" || a == "-h" || a == "--version";
    });
    const bool hasScript = std::find(args.begin(), args.end(), "--script") != args.end() ||
                           std::find(args.begin(), args.end(), "--scene") != args.end() ||
                           std::find(args.begin(), args.end(), "--default-scene") != args.end();
    const bool hasRoot = std::find(args.begin(), args.end(), "--device-root") != args.end();

    std::vector<std::string> argv = {"homescreen"};
    if (!hasRoot) argv.insert(argv.end(), {"--device-root", deviceRoot});
    if (!hasScript && !wantsHelp) argv.push_back("--default-scene");
    argv.insert(argv.end(), args.begin(), args.end());
    if (!wantsHelp && std::find(args.begin(), args.end(), "--output-dir") == args.end() &&
        std::find(args.begin(), args.end(), "-o") == args.end()) {
        argv.insert(argv.end(), {"--output-dir", "out"});
    }

    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end()) {
        std::printf(
            "quorvane lockscreen runs the home-screen host (by default on its built-in scene,\n"
            "writing into out/); it takes the host's options:\n\n");
    }
    std::vector<char*> raw;
    for (auto& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const std::string path = homescreenPath();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "quorvane lockscreen: cannot start the host: %s\n",
                     std::strerror(errno));
        return 1;
    }
    if (child == 0) {
        ::execv(path.c_str(), raw.data());
        std::fprintf(stderr, "quorvane lockscreen: cannot run %s: %s\n", path.c_str(),
                     std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return 1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    std::fprintf(stderr, "quorvane lockscreen: the host stopped on signal %d\n", WTERMSIG(status));
    return 1;
}

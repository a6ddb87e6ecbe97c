#include "hosts/quorvane/HostLauncher.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool has(const std::vector<std::string>& args, const std::string& option) {
    return std::find(args.begin(), args.end(), option) != args.end();
}

}  // namespace

std::string hostProgramPath(const std::string& program, const std::string& builtPath) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        std::string dir(self);
        dir.erase(dir.find_last_of('/') + 1);
        const std::string sibling = dir + program;
        if (::access(sibling.c_str(), X_OK) == 0) return sibling;
    }
    return builtPath;
}

int runHostProgram(const std::string& command, const std::string& program,
                   const std::string& builtPath, const std::vector<std::string>& args,
                   const std::string& deviceRoot, const std::vector<std::string>& sceneOptions,
                   const std::string& hostDescription) {
    const bool help = has(args, "--help") || has(args, "-h");
    const bool informational = help || has(args, "--version");
    const bool namesScene =
        std::any_of(sceneOptions.begin(), sceneOptions.end(),
                    [&](const std::string& option) { return has(args, option); });

    // Pass 1: the host's command line, the command's defaults around the user's options.
    std::vector<std::string> argv = {program};
    if (!has(args, "--device-root")) argv.insert(argv.end(), {"--device-root", deviceRoot});
    if (!namesScene && !informational) argv.push_back("--default-scene");
    argv.insert(argv.end(), args.begin(), args.end());
    if (!informational && !has(args, "--output-dir") && !has(args, "-o")) {
        argv.insert(argv.end(), {"--output-dir", "out"});
    }
    if (help) {
        std::printf(
            "quorvane %s runs %s (by default on its built-in scene, writing into out/);\n"
            "it takes the host's options:\n\n",
            command.c_str(), hostDescription.c_str());
    }

    // Pass 2: run it and hand its status back.
    std::vector<char*> raw;
    for (auto& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const std::string path = hostProgramPath(program, builtPath);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "quorvane %s: cannot start the host: %s\n", command.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (child == 0) {
        ::execv(path.c_str(), raw.data());
        std::fprintf(stderr, "quorvane %s: cannot run %s: %s\n", command.c_str(), path.c_str(),
                     std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return 1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    std::fprintf(stderr, "quorvane %s: the host stopped on signal %d\n", command.c_str(),
                 WTERMSIG(status));
    return 1;
}

// The home-screen host's start-up and per-frame cost, measured on real processes.
//
//   start-up:  an empty scene (build the lock screen, load tweaks, exit), against the bare
//              process (--version: loading the libraries and exiting)
//   per frame: a scene writing N+1 screen snapshots minus one writing 1, divided by N; each
//              snapshot composes every window at the screen's scale and encodes a PNG
//
// Runs are interleaved and the median of each is printed.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kFrames = 10;

double runSeconds(const std::string& arguments) {
    const auto start = std::chrono::steady_clock::now();
    const std::string command = std::string(HOMESCREEN_BIN) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench: the host failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(end - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string writeScript(const std::string& dir, const std::string& name, const std::string& body) {
    const std::string path = dir + "/" + name;
    std::ofstream(path) << body;
    return path;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/qv-homescreen-bench-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    const std::string common = "--device-root " + dir + " -o " + dir + "/out ";
    const std::string empty = writeScript(dir, "empty.json", R"({"steps": []})");
    const std::string one =
        writeScript(dir, "one.json", R"({"steps": [{"do": "frames", "count": 1, "prefix": "f"}]})");
    const std::string many = writeScript(dir, "many.json",
                                         R"({"steps": [{"do": "frames", "count": )" +
                                             std::to_string(kFrames + 1) + R"(, "prefix": "f"}]})");

    std::vector<double> bare, startup, single, multi;
    runSeconds(common + "--script " + empty);  // warm the file cache
    for (int i = 0; i < kRuns; ++i) {
        bare.push_back(runSeconds(common + "--version"));
        startup.push_back(runSeconds(common + "--script " + empty));
        single.push_back(runSeconds(common + "--script " + one));
        multi.push_back(runSeconds(common + "--script " + many));
    }
    const double perFrame = (median(multi) - median(single)) / kFrames;
    std::printf("home-screen host, modern phone 1179x2556 px, median of %d interleaved runs\n",
                kRuns);
    std::printf("  bare process (--version)            %8.1f ms\n", median(bare) * 1e3);
    std::printf("  start-up (empty scene, to exit)     %8.1f ms  (%.1fx bare)\n",
                median(startup) * 1e3, median(startup) / median(bare));
    std::printf("  scripted frame (compose + PNG)      %8.1f ms  (%.1fx bare)\n", perFrame * 1e3,
                perFrame / median(bare));
    std::system(("rm -rf " + dir).c_str());
    return 0;
}

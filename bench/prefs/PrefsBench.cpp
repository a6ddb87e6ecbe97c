// Preference store figures: the cost of a cached read (one and two threads) and the latency of a
// cross-process notification, from the post in one process to the callback in another.
//
//   qv_prefs_bench [google-benchmark flags]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/DeviceRoot.h"
#include "platform/base/PropertyList.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/prefs/PreferenceService.h"
#include "support/LGSharedSupport.h"

namespace {

constexpr char kPing[] = "com.velk.quorvane/BenchPing";

int64_t monotonicNanos() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::string makeDeviceRoot() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

// A domain the size of the real one, with the key the clock reads most.
void fillDomain() {
    auto& service = prefs::PreferenceService::shared();
    for (int i = 0; i < 30; ++i) {
        service.setValue("Quorvane.Clock.Key" + std::to_string(i), base::PlistValue::real(i),
                         kLGPrefsDomain);
    }
    service.setValue("Quorvane.Clock.BezelWidth", base::PlistValue::real(24), kLGPrefsDomain);
    service.synchronize(kLGPrefsDomain);
    LGPrefsReload();
}

void BM_CachedRead(benchmark::State& state) {
    double sum = 0;
    for (auto _ : state) {
        sum += LGPrefsDouble("Quorvane.Clock.BezelWidth", 0.0);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_CachedRead)->Threads(1)->Threads(2)->UseRealTime();

// The child: reports the monotonic time of every ping it receives on stdout.
int runEchoChild(const std::string& root) {
    base::setDeviceRoot(root);
    notify::DarwinNotifyCenter::shared().addObserver(kPing, [](const std::string&) {
        int64_t now = monotonicNanos();
        [[maybe_unused]] auto n = ::write(STDOUT_FILENO, &now, sizeof now);
    });
    int64_t ready = 0;
    [[maybe_unused]] auto n = ::write(STDOUT_FILENO, &ready, sizeof ready);
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}

bool readExactly(int fd, int64_t& value) {
    size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&value);
    while (got < sizeof value) {
        ssize_t n = ::read(fd, bytes + got, sizeof value - got);
        if (n <= 0) return false;
        got += size_t(n);
    }
    return true;
}

void measureCrossProcessLatency(const char* self, const std::string& root) {
    int toChild[2], fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        ::execl(self, self, "--echo-child", root.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    int64_t value = 0;
    if (!readExactly(fromChild[0], value)) return;

    auto& center = notify::DarwinNotifyCenter::shared();
    constexpr int kPings = 2000;
    std::vector<double> micros;
    micros.reserve(kPings);
    for (int i = 0; i < kPings; ++i) {
        int64_t sent = monotonicNanos();
        center.post(kPing);
        if (!readExactly(fromChild[0], value)) break;
        micros.push_back(double(value - sent) / 1000.0);
    }
    ::close(toChild[1]);
    ::waitpid(pid, nullptr, 0);
    ::close(fromChild[0]);
    if (micros.empty()) return;
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[size_t(q * double(micros.size() - 1))]; };
    std::printf(
        "cross-process notification, post to callback in another process (%zu pings):\n"
        "  median %.1f us   p90 %.1f us   p99 %.1f us   max %.1f us   (target: 5000 us)\n",
        micros.size(), at(0.5), at(0.9), at(0.99), micros.back());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--echo-child") return runEchoChild(argv[2]);

    std::string root = makeDeviceRoot();
    base::setDeviceRoot(root);
    fillDomain();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("(cached read target: 50 ns per read)\n\n");

    measureCrossProcessLatency(argv[0], root);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return 0;
}

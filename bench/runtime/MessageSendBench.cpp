// What a message costs next to a virtual call, and what a hook that calls through adds.
// Each iteration is one call; Google Benchmark's time column is nanoseconds per call.

#include <benchmark/benchmark.h>

#include <memory>

#include "platform/runtime/Runtime.h"

namespace {

// The plain C++ baseline: one virtual call doing the same store as the methods below.
class Plain {
  public:
    virtual ~Plain() = default;
    virtual void setAlpha(double alpha) = 0;
};

class PlainView final : public Plain {
  public:
    // Out of line, as a method implementation is: the compiler may still guess the target, but
    // it has to make the call.
    [[gnu::noinline]] void setAlpha(double alpha) override { alpha_ = alpha; }
    double alpha_ = 1;
};

class BenchView : public runtime::Object {
    QV_OBJECT(BenchView, runtime::Object);

  public:
    static inline const runtime::Message<void(double)> kSetAlpha{"setAlpha:"};
    // The same method under a second name, so one class serves the hooked and unhooked cases.
    static inline const runtime::Message<void(double)> kSetHookedAlpha{"setHookedAlpha:"};

    void setAlpha(double alpha) { kSetAlpha.send(this, alpha); }
    void setHookedAlpha(double alpha) { kSetHookedAlpha.send(this, alpha); }

    double alpha_ = 1;

  private:
    static void registerMethods(runtime::MethodList<BenchView>& methods) {
        methods.add<&BenchView::store>(kSetAlpha).add<&BenchView::store>(kSetHookedAlpha);
    }
    void store(double alpha) { alpha_ = alpha; }
};

// A leaf class whose instances inherit everything, as most views do: the send resolves through
// the subclass's own cache.
class BenchLabel : public BenchView {
    QV_OBJECT(BenchLabel, BenchView);
};

}  // namespace

QV_DEFINE_CLASS(BenchView, "QVBenchView");
QV_DEFINE_CLASS(BenchLabel, "QVBenchLabel");

namespace {

// Installed as a tweak would: after the classes are registered, finding the class by name.
void (*previousSetHookedAlpha)(runtime::Object*, runtime::SEL, double) = nullptr;

void hookedSetAlpha(runtime::Object* self, runtime::SEL cmd, double alpha) {
    previousSetHookedAlpha(self, cmd, alpha);
}

const bool hookInstalled = runtime::replaceMethod(runtime::lookUpClass("QVBenchView"),
                                                  BenchView::kSetHookedAlpha.selector(),
                                                  &hookedSetAlpha, &previousSetHookedAlpha);

void DirectVirtualCall(benchmark::State& state) {
    std::unique_ptr<Plain> view = std::make_unique<PlainView>();
    Plain* target = view.get();
    benchmark::DoNotOptimize(target);
    double alpha = 0.5;
    for (auto _ : state) {
        target->setAlpha(alpha);
        benchmark::DoNotOptimize(alpha);
    }
}

void MessageSendUnhooked(benchmark::State& state) {
    auto label = std::make_shared<BenchLabel>();
    BenchView* target = label.get();
    benchmark::DoNotOptimize(target);
    double alpha = 0.5;
    for (auto _ : state) {
        target->setAlpha(alpha);
        benchmark::DoNotOptimize(alpha);
    }
}

void MessageSendHooked(benchmark::State& state) {
    if (!hookInstalled) {
        state.SkipWithError("hook not installed");
        return;
    }
    auto label = std::make_shared<BenchLabel>();
    BenchView* target = label.get();
    benchmark::DoNotOptimize(target);
    double alpha = 0.5;
    for (auto _ : state) {
        target->setHookedAlpha(alpha);
        benchmark::DoNotOptimize(alpha);
    }
}

// A send by selector through the free function, as code without the Message constant does.
void MessageSendBySelector(benchmark::State& state) {
    auto label = std::make_shared<BenchLabel>();
    runtime::Object* target = label.get();
    benchmark::DoNotOptimize(target);
    const runtime::SEL setAlpha = runtime::Selector::named("setAlpha:");
    double alpha = 0.5;
    for (auto _ : state) {
        runtime::send(target, setAlpha, alpha);
        benchmark::DoNotOptimize(alpha);
    }
}

}  // namespace

BENCHMARK(DirectVirtualCall);
BENCHMARK(MessageSendUnhooked);
BENCHMARK(MessageSendHooked);
BENCHMARK(MessageSendBySelector);

BENCHMARK_MAIN();

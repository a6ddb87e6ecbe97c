// What the settings page's glass controls cost, on the manual clock so that every run steps the
// same refreshes, with the stock slider and switch measured the same way as the baseline:
//
//   idle:     glass frames, display-link ticks and process CPU time over one second of screen
//             refreshes after the control's animation ended (target: 0 frames, 0 ticks)
//   dragged:  the same over one second of a finger dragging the control, one move per refresh
//   frame:    the median CPU time of one refresh of that drag (move, tick, picture, glass frame),
//             and of one glass frame drawn on its own
//
// Process CPU time includes the GPU stand-in's worker threads.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "glass/LGGlassContext.h"
#include "platform/base/DeviceRoot.h"
#include "platform/dispatch/Time.h"
#include "platform/gpu/Device.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TouchSource.h"
#include "platform/ui/Window.h"
#include "settings/controls/LGSharedGlassView.h"
#include "settings/controls/QVQuorvaneLiquidSlider.h"
#include "settings/controls/QVQuorvaneLiquidSwitch.h"

namespace {

// The main screen's refresh rate, set once the screen is.
int gRefreshesPerSecond = 60;

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One control under test: how to find its glass (none for the stock ones), where its thumb is,
// and how far a drag goes.
struct Subject {
    std::string name;
    std::shared_ptr<ui::Control> control;
    std::shared_ptr<LGSharedGlassView> glass;
    base::Point start;
    double reach = 0;  // points the finger travels each way
};

struct Figures {
    double idleFrames = 0, idleTicks = 0, idleCpuMs = 0;
    double dragFrames = 0, dragTicks = 0, dragCpuMs = 0;
    double refreshMs = 0, glassFrameMs = 0;
};

std::uint64_t glassFrames(const Subject& s) {
    return s.glass ? s.glass->surfaceView()->presentedFrameCount() : 0;
}

Figures measure(Subject& s) {
    ui::TouchSource& finger = ui::TouchSource::shared();
    Figures f;

    // Pass 1: an interaction, then let every animation end.
    finger.touchDown(s.start);
    ui::testing::runFrames(12);
    finger.touchMove({s.start.x + s.reach, s.start.y});
    ui::testing::runFrames(12);
    finger.touchUp({s.start.x + s.reach, s.start.y});
    ui::testing::runFrames(3 * gRefreshesPerSecond);

    // Pass 2: one idle second.
    auto frames0 = glassFrames(s);
    auto ticks0 = ui::DisplayLink::totalTickCount();
    double cpu0 = cpuMs();
    ui::testing::runFrames(gRefreshesPerSecond);
    f.idleCpuMs = cpuMs() - cpu0;
    f.idleFrames = double(glassFrames(s) - frames0);
    f.idleTicks = double(ui::DisplayLink::totalTickCount() - ticks0);

    // Pass 3: one second of dragging, back and forth, one move per refresh.
    finger.touchDown({s.start.x + s.reach, s.start.y});
    ui::testing::runFrames(12);
    frames0 = glassFrames(s);
    ticks0 = ui::DisplayLink::totalTickCount();
    cpu0 = cpuMs();
    std::vector<double> refreshes;
    for (int i = 0; i < gRefreshesPerSecond; ++i) {
        const double phase = double(i) / gRefreshesPerSecond;
        const double x = s.start.x + s.reach * (phase < 0.5 ? 1 - 2 * phase : 2 * phase - 1);
        const double before = cpuMs();
        finger.touchMove({x, s.start.y});
        ui::testing::runFrames(1);
        refreshes.push_back(cpuMs() - before);
    }
    f.dragCpuMs = cpuMs() - cpu0;
    f.dragFrames = double(glassFrames(s) - frames0);
    f.dragTicks = double(ui::DisplayLink::totalTickCount() - ticks0);
    f.refreshMs = median(refreshes);

    // Pass 4: the glass frame alone, while the thumb is expanded.
    if (s.glass) {
        std::vector<double> draws;
        for (int i = 0; i < 30; ++i) {
            const double before = cpuMs();
            s.glass->surfaceView()->draw();
            draws.push_back(cpuMs() - before);
        }
        f.glassFrameMs = median(draws);
    }
    finger.touchUp({s.start.x, s.start.y});
    ui::testing::runFrames(3 * gRefreshesPerSecond);
    return f;
}

double ratio(double a, double b) {
    return b > 0 ? a / b : (a > 0 ? 1e9 : 1);
}

void print(const char* pair, const Figures& glass, const Figures& stock) {
    std::printf("%s\n", pair);
    std::printf(
        "  idle:    %3.0f glass frames/s, %3.0f ticks/s, %7.3f ms CPU/s   (stock %3.0f ticks/s, "
        "%7.3f ms CPU/s; CPU x%.2f)\n",
        glass.idleFrames, glass.idleTicks, glass.idleCpuMs, stock.idleTicks, stock.idleCpuMs,
        ratio(glass.idleCpuMs, stock.idleCpuMs));
    std::printf(
        "  dragged: %3.0f glass frames/s, %3.0f ticks/s, %7.3f ms CPU/s   (stock %3.0f ticks/s, "
        "%7.3f ms CPU/s; CPU x%.2f)\n",
        glass.dragFrames, glass.dragTicks, glass.dragCpuMs, stock.dragTicks, stock.dragCpuMs,
        ratio(glass.dragCpuMs, stock.dragCpuMs));
    std::printf(
        "  frame:   %7.3f ms per dragged refresh (stock %7.3f ms; x%.2f), glass frame alone "
        "%7.3f ms\n",
        glass.refreshMs, stock.refreshMs, ratio(glass.refreshMs, stock.refreshMs),
        glass.glassFrameMs);
}

}  // namespace

int main() {
    char pattern[] = "/tmp/qv-controls-bench-XXXXXX";
    const std::string root = ::mkdtemp(pattern) ? pattern : "";
    if (root.empty()) return 1;
    base::setDeviceRoot(root);
    dispatch::ManualClock clock;
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    if (!LGGlassContextEnsure()) {
        std::fprintf(stderr, "no GPU context\n");
        return 1;
    }
    gRefreshesPerSecond = ui::Screen::main()->maximumFramesPerSecond();
    auto window = ui::Window::create(ui::Screen::main()->bounds());
    window->setBackgroundColor(base::Color::white(1));
    window->makeKeyAndVisible();

    // Each control alone in the window, so the others' costs do not mix in.
    const auto run = [&](std::shared_ptr<ui::Control> control,
                         std::shared_ptr<LGSharedGlassView> glass, const char* name,
                         base::Point start, double reach) {
        window->addSubview(control);
        ui::testing::runFrames(2);
        Subject s{name, control, std::move(glass), start, reach};
        Figures f = measure(s);
        control->removeFromSuperview();
        ui::testing::runFrames(2);
        return f;
    };

    auto liquidSlider = QVQuorvaneLiquidSlider::create({40, 300, 300, 44});
    auto stockSlider = ui::Slider::create({40, 300, 300, 44});
    liquidSlider->setValue(0.2f);
    stockSlider->setValue(0.2f);
    const base::Point sliderThumb{40 + liquidSlider->thumbCenterXForValue(0.2), 322};
    const base::Point stockThumb{40 + 14 + 0.2 * (300 - 28), 322};
    const Figures gs =
        run(liquidSlider, liquidSlider->glassThumbView(), "slider", sliderThumb, 150);
    const Figures ss = run(stockSlider, nullptr, "stock slider", stockThumb, 150);

    auto liquidSwitch = QVQuorvaneLiquidSwitch::create({150, 400, 0, 0});
    auto stockSwitch = ui::Switch::create({150, 400, 0, 0});
    const Figures gw =
        run(liquidSwitch, liquidSwitch->glassThumbView(), "switch", {150 + 20, 414}, 23);
    const Figures sw = run(stockSwitch, nullptr, "stock switch", {150 + 15.5, 415.5}, 20);

    std::printf("device: %s; manual clock, %d Hz screen\n",
                LGGlassContextShared()->device->name().c_str(),
                ui::Screen::main()->maximumFramesPerSecond());
    print("QVQuorvaneLiquidSlider vs ui::Slider", gs, ss);
    print("QVQuorvaneLiquidSwitch vs ui::Switch", gw, sw);

    window->setHidden(true);
    window.reset();
    liquidSlider.reset();
    liquidSwitch.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return 0;
}

// The glass view as the lock-screen clock uses it (update group 5):
//   1. a new wallpaper's upload plus the bake of its blurred copy, next to one plain Gaussian blur
//      of a texture of the same size and sigma in the same run, and their ratio;
//   2. how many frames per second a clock glass view draws when asked 1000 times a second with
//      "Quorvane.Clock.FPS" at 30 (pacing must keep it at 30 or below).
// Times are medians of wall time, each until the GPU finished (the surface reads its frame back
// when the frame's command buffer has run).
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "assets/wallpapers/QuorvaneWallpaper.h"
#include "glass/LGGlassContext.h"
#include "glass/LiquidGlassView.h"
#include "platform/base/DeviceRoot.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/GaussianBlur.h"
#include "platform/gpu/Texture.h"
#include "platform/prefs/PreferenceService.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "support/LGSharedSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;
// The clock's glass: about the size of the time label on a 393 x 852 point screen.
constexpr base::Rect kClockFrame{46, 94, 300, 120};
constexpr double kClockBlur = 3.0;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeMs(const std::function<void()>& run) {
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A device root of its own, with the clock's frame rate set as the settings page would.
std::string makeDeviceRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-glass-bench-XXXXXX");
    if (!::mkdtemp(pattern.data())) return {};
    base::setDeviceRoot(pattern);
    prefs::PreferenceService service(pattern + "/var/mobile/Library/Preferences");
    service.setValue("Quorvane.Clock.FPS", base::PlistValue::integer(30), kLGPrefsDomain);
    service.synchronize(kLGPrefsDomain);
    return pattern;
}

}  // namespace

int main() {
    const std::string root = makeDeviceRoot();
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    if (!LGGlassContextEnsure()) {
        std::fprintf(stderr, "no GPU context\n");
        return 1;
    }
    LGGlassContext& context = *LGGlassContextShared();
    std::printf("device: %s\n", context.device->name().c_str());

    auto window = ui::Window::create(ui::Screen::main()->bounds());
    window->makeKeyAndVisible();
    auto glass = LiquidGlassView::create(kClockFrame, nullptr, {0, 0});
    if (!glass) return 1;
    glass->setUpdateGroup(LiquidGlassView::kClockUpdateGroup);
    glass->setBlur(kClockBlur);
    window->addSubview(glass);
    window->layoutIfNeeded();
    auto surface = glass->surfaceView();
    const auto frameDone = [&] { return surface->presentedFrameCount(); };

    // Part 1: each round a new image object, so the upload misses the cache and bakes its blur.
    const auto wallpaper = QVMakeDefaultWallpaper(1179, 2556, 3.0);
    std::vector<double> uploadAndBake, frameOnly, plainBlur;
    for (int round = 0; round < kRounds; ++round) {
        auto image = wallpaper->withScale(3.0);  // same pixels, a new object
        const auto before = frameDone();
        uploadAndBake.push_back(timeMs([&] {
            glass->setWallpaperImage(image);
            surface->draw();
        }));
        frameOnly.push_back(timeMs([&] { surface->draw(); }));
        if (frameDone() != before + 2) std::fprintf(stderr, "a frame was not shown\n");
    }
    const double frameMs = median(frameOnly);
    const double uploadBakeMs = median(uploadAndBake) - frameMs;

    // The same blur on its own: a texture of the upload's size, blurred with the bake's sigma.
    const auto scale = std::min(0.65, 900.0 * 2.4 / 2556.0);
    const std::size_t tw = std::size_t(std::nearbyint(scale * 1179));
    const std::size_t th = std::size_t(std::nearbyint(scale * 2556));
    const float radius = float(3.0 * kClockBlur) /
                         std::max(float(3.0 * 393 / double(tw)), float(3.0 * 852 / double(th)));
    auto source = context.device->newTexture(
        gpu::TextureDescriptor::texture2D(tw, th, gpu::TextureUsage::ShaderRead));
    auto target = context.device->newTexture(gpu::TextureDescriptor::texture2D(
        tw, th, gpu::TextureUsage::ShaderRead | gpu::TextureUsage::ShaderWrite));
    std::vector<std::uint8_t> pixels(tw * th * 4, 200);
    source->replaceRegion(source->wholeRegion(), pixels.data(), tw * 4);
    auto blur = gpu::GaussianBlur::create(context.device, radius * 0.5f);
    for (int round = 0; round < kRounds; ++round) {
        plainBlur.push_back(timeMs([&] {
            auto buffer = context.queues[5]->commandBuffer();
            blur->encode(*buffer, source, target);
            buffer->commit();
            buffer->waitUntilCompleted();
        }));
    }
    const double blurMs = median(plainBlur);
    std::printf("wallpaper 1179x2556 at group 5 -> texture %zux%zu, blur radius %.2f texels:\n", tw,
                th, radius);
    std::printf("  upload + blur bake  %8.2f ms  (frame with them %.2f ms, frame alone %.2f ms)\n",
                uploadBakeMs, median(uploadAndBake), frameMs);
    std::printf("  plain blur          %8.2f ms\n", blurMs);
    std::printf("  ratio               %8.2f x\n", uploadBakeMs / blurMs);

    // Part 2: asked for a frame every millisecond for two seconds of real time.
    dispatch::RunLoop::main().runFor(dispatch::milliseconds(100));
    // Frames per second from the first frame to the last, so the count is not off by one.
    auto seen = frameDone();
    std::vector<Clock::time_point> frames;
    const auto began = Clock::now();
    while (Clock::now() - began < std::chrono::seconds(2)) {
        glass->scheduleDraw();
        dispatch::RunLoop::main().runFor(dispatch::milliseconds(1));
        if (frameDone() != seen) {
            seen = frameDone();
            frames.push_back(Clock::now());
        }
    }
    const double fps =
        frames.size() < 2
            ? 0.0
            : double(frames.size() - 1) /
                  std::chrono::duration<double>(frames.back() - frames.front()).count();
    std::printf("clock glass asked 1000 times a second, Quorvane.Clock.FPS 30:\n");
    std::printf("  frames drawn        %8.2f per second (%s)\n", fps,
                fps <= 30.0 + 1e-9 ? "at most 30" : "ABOVE 30");

    window->setHidden(true);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return 0;
}

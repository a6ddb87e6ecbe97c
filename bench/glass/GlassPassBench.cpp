// Times the glass pass on a clock-sized drawable in rectangle and mask mode next to a plain
// textured copy of the same size, and the Gaussian blur of a wallpaper-sized texture. Each figure
// is the median wall time of commit + wait for one command buffer.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "testing/glass/ClockMask.h"
#include "glass/LGGlassPipeline.h"
#include "glass/LGGlassShaderSource.h"
#include "glass/Uniforms.h"
#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/GaussianBlur.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/RenderPassDescriptor.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/gpu/SamplerState.h"
#include "platform/gpu/Texture.h"

namespace {

constexpr std::size_t kDrawableWidth = 1179;
constexpr std::size_t kDrawableHeight = 600;
constexpr std::size_t kWallpaperWidth = 765;  // a 1179 x 2556 screen at texture scale 0.65
constexpr std::size_t kWallpaperHeight = 1661;

constexpr const char* kCopyProgram = R"glsl(
precision highp float;
#pragma stage vertex copyVertex
out vec2 uv;
void copyVertex() {
    vec2 p = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    gl_Position = vec4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, 0.0, 1.0);
    uv = p;
}
#pragma stage fragment copyFragment
#pragma texture 0 image sampler 0
in vec2 uv;
out vec4 color;
uniform sampler2D image;
void copyFragment() { color = texture(image, uv); }
)glsl";

using Clock = std::chrono::steady_clock;

constexpr int kGlassRounds = 9;
constexpr int kBlurRuns = 7;

double timeMs(const std::function<void()>& run) {
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<std::uint8_t> makeWallpaper(std::size_t w, std::size_t h) {
    std::vector<std::uint8_t> pixels(w * h * 4);
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            std::uint8_t* p = &pixels[(y * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(255 * y / h);
            p[1] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.02 + y * 0.01));
            p[2] = static_cast<std::uint8_t>(255 * x / w);
            p[3] = 255;
        }
    }
    return pixels;
}

std::shared_ptr<gpu::RenderPipelineState> buildPipeline(gpu::Device& device, std::string_view text,
                                                        const char* vertex, const char* fragment,
                                                        bool glassBlend) {
    std::string error;
    auto library = device.newLibrary(text, &error);
    if (!library) {
        std::fprintf(stderr, "program failed: %s\n", error.c_str());
        return nullptr;
    }
    gpu::RenderPipelineDescriptor descriptor;
    descriptor.vertexFunction = library->newFunction(vertex);
    descriptor.fragmentFunction = library->newFunction(fragment);
    if (glassBlend) descriptor.colorAttachment = LGGlassColorAttachment();
    auto state = device.newRenderPipelineState(descriptor, &error);
    if (!state) std::fprintf(stderr, "pipeline failed: %s\n", error.c_str());
    return state;
}

}  // namespace

int main() {
    std::string reason;
    auto device = gpu::Device::create(&reason);
    if (!device) {
        std::fprintf(stderr, "no GPU: %s\n", reason.c_str());
        return 1;
    }
    std::printf("device: %s\n", device->name().c_str());

    auto glass =
        buildPipeline(*device, LGGlassShaderSource(), "vertexShader", "fragmentShader", true);
    auto copy = buildPipeline(*device, kCopyProgram, "copyVertex", "copyFragment", false);
    if (!glass || !copy) return 1;
    auto sampler = device->newSamplerState(gpu::SamplerDescriptor::linearClamp());
    auto queue = device->newCommandQueue();
    using gpu::TextureUsage;

    auto upload = [&](const std::vector<std::uint8_t>& pixels, std::size_t w, std::size_t h,
                      TextureUsage usage) {
        auto t = device->newTexture(gpu::TextureDescriptor::texture2D(w, h, usage));
        t->replaceRegion(t->wholeRegion(), pixels.data(), w * 4);
        return t;
    };
    auto wallpaper = upload(makeWallpaper(kWallpaperWidth, kWallpaperHeight), kWallpaperWidth,
                            kWallpaperHeight, TextureUsage::ShaderRead);
    auto mask = upload(makeClockMask(kDrawableWidth, kDrawableHeight), kDrawableWidth,
                       kDrawableHeight, TextureUsage::ShaderRead);
    auto copySource = upload(makeWallpaper(kDrawableWidth, kDrawableHeight), kDrawableWidth,
                             kDrawableHeight, TextureUsage::ShaderRead);
    auto white = upload({255, 255, 255, 255}, 1, 1, TextureUsage::ShaderRead);
    auto drawable = device->newTexture(gpu::TextureDescriptor::texture2D(
        kDrawableWidth, kDrawableHeight, TextureUsage::RenderTarget | TextureUsage::ShaderRead));

    Uniforms u;
    u.resolution = {float(kDrawableWidth), float(kDrawableHeight)};
    u.screenResolution = {1179, 2556};
    u.cardOrigin = {0, 420};
    u.wallpaperResolution = {1179, 2556};
    u.radius = 60;
    u.bezelWidth = 36;
    u.glassThickness = 12;
    u.refractionScale = 1.5f;
    u.refractiveIndex = 1.5f;
    u.specularOpacity = 0.8f;
    u.specularAngle = kLGSpecularAngle;
    u.blur = 6;
    u.wallpaperOrigin = {0, 0};
    u.samplingOrientation = 1;

    auto drawGlass = [&](bool useMask) {
        Uniforms record = u;
        record.hasShapeMask = useMask ? 1.0f : 0.0f;
        if (useMask) record.radius = 0;
        auto buffer = queue->commandBuffer();
        auto encoder = buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(drawable));
        encoder->setRenderPipelineState(glass);
        encoder->setFragmentBytes(&record, sizeof record, 0);
        encoder->setFragmentTexture(wallpaper, 0);
        encoder->setFragmentTexture(useMask ? mask : white, 1);
        encoder->setFragmentSamplerState(sampler, 0);
        encoder->drawPrimitives(gpu::PrimitiveType::Triangle, 0, 6);
        encoder->endEncoding();
        buffer->commit();
        buffer->waitUntilCompleted();
    };
    auto drawCopy = [&] {
        auto buffer = queue->commandBuffer();
        auto encoder = buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(drawable));
        encoder->setRenderPipelineState(copy);
        encoder->setFragmentTexture(copySource, 0);
        encoder->setFragmentSamplerState(sampler, 0);
        encoder->drawPrimitives(gpu::PrimitiveType::Triangle, 0, 3);
        encoder->endEncoding();
        buffer->commit();
        buffer->waitUntilCompleted();
    };

    // The three draws take turns, round after round, so that a busy machine slows them alike
    // and the ratios stay meaningful.
    std::vector<double> copyTimes, rectangleTimes, maskTimes;
    const std::function<void()> draws[3] = {drawCopy, [&] { drawGlass(false); },
                                            [&] { drawGlass(true); }};
    std::vector<double>* times[3] = {&copyTimes, &rectangleTimes, &maskTimes};
    for (const auto& draw : draws) draw();  // warm-up: first use compiles and allocates
    for (int round = 0; round < kGlassRounds; ++round) {
        for (int i = 0; i < 3; ++i) times[i]->push_back(timeMs(draws[i]));
    }
    const double copyMs = median(copyTimes);
    const double rectangleMs = median(rectangleTimes);
    const double maskMs = median(maskTimes);
    std::printf("glass pass, %zux%zu drawable (median ms per frame):\n", kDrawableWidth,
                kDrawableHeight);
    std::printf("  textured copy   %8.2f ms\n", copyMs);
    std::printf("  rectangle mode  %8.2f ms  (%.2fx copy)\n", rectangleMs, rectangleMs / copyMs);
    std::printf("  mask mode       %8.2f ms  (%.2fx copy)\n", maskMs, maskMs / copyMs);

    auto blurSource = wallpaper;
    auto blurred = device->newTexture(gpu::TextureDescriptor::texture2D(
        kWallpaperWidth, kWallpaperHeight, TextureUsage::ShaderRead | TextureUsage::ShaderWrite));
    std::printf("gaussian blur, %zux%zu texture (median ms):\n", kWallpaperWidth, kWallpaperHeight);
    for (float sigma : {1.0f, 4.0f, 12.0f}) {
        auto blur = gpu::GaussianBlur::create(device, sigma);
        auto blurOnce = [&] {
            auto buffer = queue->commandBuffer();
            blur->encode(*buffer, blurSource, blurred);
            buffer->commit();
            buffer->waitUntilCompleted();
        };
        blurOnce();  // warm-up
        std::vector<double> blurTimes;
        for (int run = 0; run < kBlurRuns; ++run) blurTimes.push_back(timeMs(blurOnce));
        const double ms = median(blurTimes);
        std::printf("  sigma %4.1f (radius %3zu)  %8.2f ms\n", sigma, blur->radius(), ms);
    }
    return 0;
}

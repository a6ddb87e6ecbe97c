// Times the glass pass next to a plain textured copy of the same size, before and after the mask
// edge field, in one run: rectangle glass on a clock-sized and a full-screen drawable, mask glass
// with the clock's own text mask of "10:09" as the tweak draws it on a modern phone; then that
// mask's upload with and without the edge field, and the Gaussian blur of a wallpaper-sized
// texture. Each figure is the median wall time of
// commit + wait for one command buffer; the draws take turns, round after round, so that a busy
// machine slows them alike and the ratios stay meaningful.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "GlassShaderBefore.h"
#include "glass/LGGlassPipeline.h"
#include "glass/LGGlassShaderSource.h"
#include "glass/LGMaskEdgeField.h"
#include "glass/LGZeroCopyBridge.h"
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
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/lockscreen/LockScreenLayout.h"
#include "platform/text/Font.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"
#include "tweak/LGClockMask.h"

namespace {

constexpr std::size_t kDrawableWidth = 1179;
constexpr std::size_t kClockHeight = 600;     // the clock's glass
constexpr std::size_t kScreenHeight = 2556;   // the whole screen
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

constexpr int kGlassRounds = 21;
constexpr int kUploadRounds = 9;
constexpr int kBlurRuns = 7;
constexpr std::chrono::milliseconds kIdleSpell{20};

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

// The clock's text mask as the tweak draws it for a modern phone's clock: "10:09", centred, in
// the system clock's font, as wide as the screen and one line high, at the screen's scale.
graphics::ImageRef makeRealClockMask() {
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    const base::Size page = ui::Screen::main()->bounds().size;
    const auto layout =
        lockscreen::LockScreenLayout::forPage(page, ui::UserInterfaceIdiom::Phone, true);
    LGClockDisplayState state;
    state.text = "10:09";
    state.font = text::Font::systemFont(layout.timeFontSize, layout.timeFontWeight);
    state.alignment = 1;
    if (!state.font) return nullptr;
    return LGClockMaskImage(state, {0, 0, page.width, std::ceil(state.font->lineHeight())},
                            nullptr);
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

    auto before =
        buildPipeline(*device, GlassShaderBefore(), "vertexShader", "fragmentShader", true);
    auto copy = buildPipeline(*device, kCopyProgram, "copyVertex", "copyFragment", false);
    auto library = device->newLibrary(LGGlassShaderSource(), &reason);
    const LGGlassPipelines after =
        library ? LGGlassPipelinesCreate(*device, *library, &reason) : LGGlassPipelines{};
    if (!after) std::fprintf(stderr, "glass program failed: %s\n", reason.c_str());
    if (!before || !copy || !after) return 1;
    auto sampler = device->newSamplerState(gpu::SamplerDescriptor::linearClamp());
    auto queue = device->newCommandQueue();
    using gpu::TextureUsage;

    auto upload = [&](const std::vector<std::uint8_t>& pixels, std::size_t w, std::size_t h) {
        auto t =
            device->newTexture(gpu::TextureDescriptor::texture2D(w, h, TextureUsage::ShaderRead));
        t->replaceRegion(t->wholeRegion(), pixels.data(), w * 4);
        return t;
    };
    auto wallpaper =
        upload(makeWallpaper(kWallpaperWidth, kWallpaperHeight), kWallpaperWidth, kWallpaperHeight);
    const graphics::ImageRef clockImage = makeRealClockMask();
    if (!clockImage) {
        std::fprintf(stderr, "no clock mask\n");
        return 1;
    }
    const auto maskWidth = static_cast<std::size_t>(clockImage->pixelWidth());
    const auto maskHeight = static_cast<std::size_t>(clockImage->pixelHeight());
    const std::vector<std::uint8_t> clockPixels(clockImage->pixels(),
                                                clockImage->pixels() + clockImage->byteCount());
    auto mask = upload(clockPixels, maskWidth, maskHeight);
    const LGMaskEdgeFieldTextures edges = LGMaskEdgeFieldUpload(
        device, {clockPixels.data(), maskWidth, maskHeight, maskWidth * 4}, maskWidth, maskHeight);
    auto white = upload({255, 255, 255, 255}, 1, 1);

    // One drawable and one copy source per size: the clock-sized glass, the whole screen, and the
    // clock's mask.
    struct Size {
        std::size_t height;
        std::shared_ptr<gpu::Texture> drawable;
        std::shared_ptr<gpu::Texture> copySource;
    };
    Size sizes[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t h = i == 0 ? kClockHeight : (i == 1 ? kScreenHeight : maskHeight);
        sizes[i] = {h,
                    device->newTexture(gpu::TextureDescriptor::texture2D(
                        kDrawableWidth, h, TextureUsage::RenderTarget | TextureUsage::ShaderRead)),
                    upload(makeWallpaper(kDrawableWidth, h), kDrawableWidth, h)};
    }

    Uniforms u;
    u.screenResolution = {1179, 2556};
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

    auto run = [&](const Size& size, const std::function<void(gpu::RenderCommandEncoder&)>& draw) {
        auto buffer = queue->commandBuffer();
        auto encoder =
            buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(size.drawable));
        draw(*encoder);
        encoder->endEncoding();
        buffer->commit();
        buffer->waitUntilCompleted();
        if (!buffer->error().empty())
            std::fprintf(stderr, "draw failed: %s\n", buffer->error().c_str());
    };
    auto glass = [&](const Size& size, bool useMask, bool current) {
        Uniforms record = u;
        record.resolution = {float(kDrawableWidth), float(size.height)};
        record.cardOrigin = {0, size.height == kScreenHeight ? 0.0f : 420.0f};
        record.hasShapeMask = useMask ? 1.0f : 0.0f;
        if (useMask) record.radius = 0;
        run(size, [&](gpu::RenderCommandEncoder& encoder) {
            encoder.setFragmentBytes(&record, sizeof record, 0);
            encoder.setFragmentTexture(wallpaper, 0);
            encoder.setFragmentTexture(useMask ? mask : white, 1);
            encoder.setFragmentSamplerState(sampler, 0);
            if (!current) {
                encoder.setRenderPipelineState(before);
                encoder.drawPrimitives(gpu::PrimitiveType::Triangle, 0, 6);
                return;
            }
            encoder.setFragmentTexture(useMask ? edges.field : white, 2);
            encoder.setFragmentTexture(useMask ? edges.tiles : white, 3);
            encoder.setFragmentBytes(&edges.placement, sizeof edges.placement, 1);
            LGGlassEncodeDraws(encoder, after, useMask ? edges.tiles.get() : nullptr);
        });
    };
    auto textured = [&](const Size& size) {
        run(size, [&](gpu::RenderCommandEncoder& encoder) {
            encoder.setRenderPipelineState(copy);
            encoder.setFragmentTexture(size.copySource, 0);
            encoder.setFragmentSamplerState(sampler, 0);
            encoder.drawPrimitives(gpu::PrimitiveType::Triangle, 0, 3);
        });
    };

    // Pass 1: the draws, in turns.
    struct Timed {
        const char* name;
        std::function<void()> draw;
        std::vector<double> times;
    };
    const Size& clock = sizes[0];
    const Size& screen = sizes[1];
    const Size& masked = sizes[2];
    std::vector<Timed> draws = {
        {"copy 1179x600", [&] { textured(clock); }, {}},
        {"rect 1179x600 before", [&] { glass(clock, false, false); }, {}},
        {"rect 1179x600 after", [&] { glass(clock, false, true); }, {}},
        {"copy mask", [&] { textured(masked); }, {}},
        {"mask before", [&] { glass(masked, true, false); }, {}},
        {"mask after", [&] { glass(masked, true, true); }, {}},
        {"copy 1179x2556", [&] { textured(screen); }, {}},
        {"rect 1179x2556 before", [&] { glass(screen, false, false); }, {}},
        {"rect 1179x2556 after", [&] { glass(screen, false, true); }, {}},
    };
    for (auto& d : draws) d.draw();  // warm-up: first use compiles and allocates
    for (int round = 0; round < kGlassRounds; ++round) {
        for (auto& d : draws) d.times.push_back(timeMs(d.draw));
    }
    auto ms = [&](std::size_t i) { return median(draws[i].times); };
    std::printf("glass pass (median ms per frame of %d; ratio to the copy of the same size):\n",
                kGlassRounds);
    std::printf("  %-34s %9s %8s %9s %8s  %s\n", "", "before", "", "after", "", "target");
    auto row = [&](const char* what, std::size_t b, std::size_t a, std::size_t c,
                   const char* target) {
        std::printf("  %-34s %7.2f ms %6.2fx %7.2f ms %6.2fx  %s\n", what, ms(b), ms(b) / ms(c),
                    ms(a), ms(a) / ms(c), target);
    };
    std::printf("  %-34s %7.2f ms\n", "textured copy, 1179x600", ms(0));
    row("rectangle mode, 1179x600", 1, 2, 0, "<= 1.5x");
    char maskSize[64];
    std::snprintf(maskSize, sizeof maskSize, "textured copy, %zux%zu", maskWidth, maskHeight);
    std::printf("  %-34s %7.2f ms\n", maskSize, ms(3));
    row("mask mode, clock \"10:09\"", 4, 5, 3, "<= 3x");
    std::printf("  %-34s %7.2f ms\n", "textured copy, 1179x2556", ms(6));
    row("rectangle mode, 1179x2556", 7, 8, 6, "<= 1.5x");

    // Pass 2: the mask upload as the glass view makes it: the image drawn into a new bridge and
    // copied to its texture; after, with the edge field and its tiles made and uploaded too.
    auto uploadMask = [&](bool withEdges) {
        LGZeroCopyBridge bridge(device);
        bridge.setupBufferWithWidth(maskWidth, maskHeight);
        bridge.renderWithActions([&](graphics::Context& context) {
            const base::Rect rect{0, 0, double(maskWidth), double(maskHeight)};
            context.clear(rect);
            context.drawImage(*clockImage, rect);
        });
        if (withEdges) {
            LGMaskEdgeFieldUpload(device,
                                  {bridge.bufferBytes(), maskWidth, maskHeight, maskWidth * 4},
                                  maskWidth, maskHeight);
        }
        // The texture copy is queued: wait for it as a frame would.
        auto buffer = queue->commandBuffer();
        buffer->commit();
        buffer->waitUntilCompleted();
    };
    std::vector<double> plainUploads, edgeUploads;
    uploadMask(true);
    for (int round = 0; round < kUploadRounds; ++round) {
        plainUploads.push_back(timeMs([&] { uploadMask(false); }));
        edgeUploads.push_back(timeMs([&] { uploadMask(true); }));
    }
    // The same after an idle spell, as the clock makes it once a minute: the CPUs have slept and
    // a thread woken now lands where the scheduler likes, which back-to-back rounds never show.
    std::vector<double> idlePlainUploads, idleEdgeUploads, idleComputeTimes;
    const LGMaskPixels clockMask{clockPixels.data(), maskWidth, maskHeight, maskWidth * 4};
    auto afterIdle = [&](const std::function<void()>& run) {
        std::this_thread::sleep_for(kIdleSpell);
        return timeMs(run);
    };
    for (int round = 0; round < kUploadRounds; ++round) {
        idlePlainUploads.push_back(afterIdle([&] { uploadMask(false); }));
        idleEdgeUploads.push_back(afterIdle([&] { uploadMask(true); }));
        idleComputeTimes.push_back(
            afterIdle([&] { (void)LGMaskEdgeFieldCompute(clockMask, maskWidth, maskHeight); }));
    }
    // The edge field's share: computed alone, and its two textures made and filled alone.
    std::vector<double> computeTimes, textureTimes, otherSizeTimes;
    const LGMaskEdgeFieldPixels field = LGMaskEdgeFieldCompute(clockMask, maskWidth, maskHeight);
    for (int round = 0; round < kUploadRounds; ++round) {
        computeTimes.push_back(
            timeMs([&] { (void)LGMaskEdgeFieldCompute(clockMask, maskWidth, maskHeight); }));
        otherSizeTimes.push_back(
            timeMs([&] { (void)LGMaskEdgeFieldCompute(clockMask, maskWidth + 1, maskHeight); }));
        textureTimes.push_back(timeMs([&] {
            auto f = upload(field.field, field.fieldWidth, field.fieldHeight);
            auto t = upload(field.tiles, field.tilesWide, field.tilesHigh);
            auto buffer = queue->commandBuffer();
            buffer->commit();
            buffer->waitUntilCompleted();
        }));
    }
    const double plainMs = median(plainUploads);
    const double edgeMs = median(edgeUploads);
    std::printf("mask upload, clock \"10:09\", %zux%zu (median ms of %d):\n", maskWidth, maskHeight,
                kUploadRounds);
    std::printf("  before: mask drawn and uploaded       %8.2f ms\n", plainMs);
    std::printf("  after: with the edge field and tiles  %8.2f ms  (%.2fx before; target <= 2x)\n",
                edgeMs, edgeMs / plainMs);
    std::printf("    of which the field computed         %8.2f ms\n", median(computeTimes));
    std::printf(
        "    of which its textures made, filled  %8.2f ms  (field %zux%zu where the mask is "
        "drawn)\n",
        median(textureTimes), field.fieldWidth, field.fieldHeight);
    std::printf("  the field alone for a drawable one pixel wider than the mask  %8.2f ms\n",
                median(otherSizeTimes));
    const double idlePlainMs = median(idlePlainUploads);
    const double idleEdgeMs = median(idleEdgeUploads);
    std::printf("  each after %d ms idle, as once a minute:\n", int(kIdleSpell.count()));
    std::printf("    before: mask drawn and uploaded     %8.2f ms\n", idlePlainMs);
    std::printf("    after: with the edge field, tiles   %8.2f ms  (%.2fx before)\n", idleEdgeMs,
                idleEdgeMs / idlePlainMs);
    std::printf("      of which the field computed       %8.2f ms  (timed alone)\n",
                median(idleComputeTimes));

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

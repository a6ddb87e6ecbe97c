#include "platform/gpu/GaussianBlur.h"

#include "platform/gpu/BlitCommandEncoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/platform/gpu/GpuTestSupport.h"

namespace {

using gpu::TextureUsage;

class GpuGaussianBlur : public GpuTest {
  protected:
    static std::vector<std::uint8_t> blurOnGpu(gpu::GaussianBlur& blur,
                                               const std::vector<std::uint8_t>& pixels,
                                               std::size_t w, std::size_t h) {
        auto source = texture(w, h, TextureUsage::ShaderRead);
        auto destination = texture(w, h, TextureUsage::ShaderRead | TextureUsage::ShaderWrite);
        source->replaceRegion(source->wholeRegion(), pixels.data(), w * 4);
        auto buffer = device_->newCommandQueue()->commandBuffer();
        EXPECT_TRUE(blur.encode(*buffer, source, destination));
        buffer->commit();
        buffer->waitUntilCompleted();
        EXPECT_EQ(buffer->status(), gpu::CommandBuffer::Status::Completed) << buffer->error();
        return readBack(*destination);
    }
};

// Deterministic, busy test image: hard edges and noise make the edges of the kernel matter.
std::vector<std::uint8_t> testImage(std::size_t w, std::size_t h) {
    std::vector<std::uint8_t> pixels(w * h * 4);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < w * h; ++i) {
        state = state * 1664525u + 1013904223u;
        const std::size_t x = i % w;
        pixels[i * 4 + 0] = x < w / 3 ? 250 : 10;
        pixels[i * 4 + 1] = static_cast<std::uint8_t>(state >> 24);
        pixels[i * 4 + 2] = static_cast<std::uint8_t>((i / w) * 255 / (h - 1));
        pixels[i * 4 + 3] = 255;
    }
    return pixels;
}

// Horizontal then vertical, each tap index clamped to the image, the intermediate rounded to
// 8 bits as the GPU stores it.
std::vector<std::uint8_t> blurOnCpu(const std::vector<float>& weights,
                                    const std::vector<std::uint8_t>& pixels, std::size_t w,
                                    std::size_t h) {
    const long radius = static_cast<long>(weights.size()) - 1;
    auto pass = [&](const std::vector<std::uint8_t>& in, bool horizontal) {
        std::vector<std::uint8_t> out(in.size());
        for (std::size_t y = 0; y < h; ++y) {
            for (std::size_t x = 0; x < w; ++x) {
                for (int c = 0; c < 4; ++c) {
                    double sum = 0;
                    for (long k = -radius; k <= radius; ++k) {
                        const long sx = horizontal ? std::clamp<long>(x + k, 0, w - 1) : x;
                        const long sy = horizontal ? y : std::clamp<long>(y + k, 0, h - 1);
                        sum += weights[std::abs(k)] * in[(sy * w + sx) * 4 + c];
                    }
                    out[(y * w + x) * 4 + c] = static_cast<std::uint8_t>(std::lround(sum));
                }
            }
        }
        return out;
    };
    return pass(pass(pixels, true), false);
}

TEST_F(GpuGaussianBlur, KernelReachesThreeSigmaAndSumsToOne) {
    // 0.1 is the smallest sigma the wallpaper blur asks for: its centre weight is exactly 1.
    for (float sigma : {0.1f, 0.3f, 1.0f, 4.0f, 12.0f, 200.0f}) {
        auto blur = gpu::GaussianBlur::create(device_, sigma);
        ASSERT_TRUE(blur) << sigma;
        const std::size_t expectedRadius = std::min<std::size_t>(
            gpu::GaussianBlur::kMaxRadius,
            std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(3.0 * sigma))));
        EXPECT_EQ(blur->radius(), expectedRadius) << sigma;
        double total = blur->weights()[0];
        for (std::size_t i = 1; i < blur->weights().size(); ++i) total += 2 * blur->weights()[i];
        EXPECT_NEAR(total, 1.0, 1e-5) << sigma;
    }
}

TEST_F(GpuGaussianBlur, MatchesTheSeparableReferenceWithClampedEdges) {
    const std::size_t w = 24, h = 16;
    const auto pixels = testImage(w, h);
    // Sigma 4 reaches 12 texels: most of the image sees a clamped edge.
    for (float sigma : {1.0f, 4.0f}) {
        auto blur = gpu::GaussianBlur::create(device_, sigma);
        ASSERT_TRUE(blur);
        const auto gpu = blurOnGpu(*blur, pixels, w, h);
        const auto cpu = blurOnCpu(blur->weights(), pixels, w, h);
        int worst = 0;
        for (std::size_t i = 0; i < gpu.size(); ++i) {
            worst = std::max(worst, std::abs(int(gpu[i]) - int(cpu[i])));
        }
        // Fixed-point filter weights in the paired reads and the 8-bit intermediate.
        EXPECT_LE(worst, 2) << "sigma " << sigma;
    }
}

TEST_F(GpuGaussianBlur, BlursInPlaceLikeIntoAnotherTexture) {
    const std::size_t w = 16, h = 12;
    const auto pixels = testImage(w, h);
    auto blur = gpu::GaussianBlur::create(device_, 2.0f);
    const auto separate = blurOnGpu(*blur, pixels, w, h);

    auto both = texture(w, h, TextureUsage::ShaderRead | TextureUsage::RenderTarget);
    both->replaceRegion(both->wholeRegion(), pixels.data(), w * 4);
    auto buffer = device_->newCommandQueue()->commandBuffer();
    ASSERT_TRUE(blur->encode(*buffer, both, both));
    buffer->commit();
    buffer->waitUntilCompleted();
    EXPECT_EQ(readBack(*both), separate);
}

TEST_F(GpuGaussianBlur, RefusesWhatItCannotBlurAndRecordsNothing) {
    EXPECT_FALSE(gpu::GaussianBlur::create(device_, 0.0f));
    EXPECT_FALSE(gpu::GaussianBlur::create(device_, -1.0f));
    EXPECT_FALSE(gpu::GaussianBlur::create(device_, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(gpu::GaussianBlur::create(device_, std::numeric_limits<float>::infinity()));

    auto blur = gpu::GaussianBlur::create(device_, 1.0f);
    auto source = texture(8, 8, TextureUsage::ShaderRead);
    auto buffer = device_->newCommandQueue()->commandBuffer();
    EXPECT_FALSE(blur->encode(*buffer, source, texture(8, 4, TextureUsage::ShaderWrite)));
    EXPECT_FALSE(blur->encode(*buffer, source, texture(8, 8, TextureUsage::ShaderRead)))
        << "the destination must be writable";
    EXPECT_FALSE(blur->encode(*buffer, texture(8, 8, TextureUsage::ShaderWrite),
                              texture(8, 8, TextureUsage::ShaderWrite)))
        << "the source must be readable";
    auto open = buffer->blitCommandEncoder();
    EXPECT_FALSE(blur->encode(*buffer, source, texture(8, 8, TextureUsage::ShaderWrite)))
        << "another encoder is open";
    open->endEncoding();
    buffer->commit();
    EXPECT_NE(buffer->status(), gpu::CommandBuffer::Status::Error) << buffer->error();
}

}  // namespace

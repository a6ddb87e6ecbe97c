#include <gtest/gtest.h>

#include <array>

#include "platform/gpu/RenderPassDescriptor.h"
#include "tests/platform/gpu/GpuTestSupport.h"

namespace {

using gpu::BlendFactor;
using gpu::PrimitiveType;
using gpu::TextureUsage;

class GpuRenderPass : public GpuTest {
  protected:
    // Draws one full-screen triangle with `state` into `into`, loading or clearing first.
    static std::shared_ptr<gpu::CommandBuffer> draw(
        const std::shared_ptr<gpu::RenderPipelineState>& state,
        const std::shared_ptr<gpu::Texture>& into, gpu::ClearColor clear,
        const std::array<float, 4>& color, const std::shared_ptr<gpu::Texture>& image = nullptr,
        const std::shared_ptr<gpu::SamplerState>& sampler = nullptr) {
        auto buffer = device_->newCommandQueue()->commandBuffer();
        auto encoder =
            buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(into, clear));
        encoder->setRenderPipelineState(state);
        encoder->setFragmentBytes(color.data(), sizeof color, 0);
        if (image) encoder->setFragmentTexture(image, 0);
        if (sampler) encoder->setFragmentSamplerState(sampler, 0);
        encoder->drawPrimitives(PrimitiveType::Triangle, 0, 3);
        encoder->endEncoding();
        buffer->commit();
        buffer->waitUntilCompleted();
        return buffer;
    }
};

TEST_F(GpuRenderPass, ClearsThenDrawsWithClipSpaceTopOnRowZero) {
    auto t = target(4, 8);
    auto state = pipeline(kTestProgram, "fullScreen", "coordinates");
    auto buffer = draw(state, t, {0, 0, 0, 0}, {1, 1, 1, 1});
    EXPECT_EQ(buffer->status(), gpu::CommandBuffer::Status::Completed) << buffer->error();
    const auto pixels = readBack(*t);
    // Green carries v, which is 0 at clip-space y = +1: row 0 is darkest, the last row brightest.
    EXPECT_NEAR(pixels[1], 255 * 0.5 / 8, 1.0);
    EXPECT_NEAR(pixels[(7 * 4) * 4 + 1], 255 * 7.5 / 8, 1.0);
    EXPECT_NEAR(pixels[(3 * 4 + 3) * 4 + 2], 255 * 3.5 / 4, 1.0) << "red carries u";

    // A pass that only clears leaves exactly the clear colour.
    auto clearOnly = device_->newCommandQueue()->commandBuffer();
    clearOnly->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(t, {1, 0, 0.6, 0.2}))
        ->endEncoding();
    clearOnly->commit();
    clearOnly->waitUntilCompleted();
    const auto cleared = readBack(*t);
    EXPECT_EQ(cleared[0], 153);
    EXPECT_EQ(cleared[1], 0);
    EXPECT_EQ(cleared[2], 255);
    EXPECT_EQ(cleared[3], 51);
}

TEST_F(GpuRenderPass, BlendsColourBySourceAlphaAndAlphaByOne) {
    gpu::RenderPipelineColorAttachmentDescriptor glass;
    glass.blendingEnabled = true;
    glass.sourceRGBBlendFactor = BlendFactor::SourceAlpha;
    glass.destinationRGBBlendFactor = BlendFactor::OneMinusSourceAlpha;
    glass.sourceAlphaBlendFactor = BlendFactor::One;
    glass.destinationAlphaBlendFactor = BlendFactor::OneMinusSourceAlpha;
    auto blended = pipeline(kTestProgram, "fullScreen", "solid", glass);
    auto t = target(2, 2);
    draw(blended, t, {0.2, 0.4, 0.6, 0.8}, {1.0f, 0.5f, 0.0f, 0.25f});
    auto p = readBack(*t);
    // rgb = S × 0.25 + D × 0.75; alpha = 0.25 + 0.8 × 0.75.
    EXPECT_NEAR(p[2], 0.40 * 255, 1.0);
    EXPECT_NEAR(p[1], 0.425 * 255, 1.0);
    EXPECT_NEAR(p[0], 0.45 * 255, 1.0);
    EXPECT_NEAR(p[3], 0.85 * 255, 1.0);

    // Without blending the source replaces the target.
    auto opaque = pipeline(kTestProgram, "fullScreen", "solid");
    draw(opaque, t, {0.2, 0.4, 0.6, 0.8}, {1.0f, 0.4f, 0.0f, 0.25f});
    p = readBack(*t);
    EXPECT_EQ(p[2], 255);
    EXPECT_EQ(p[1], 102);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[3], 64);
}

TEST_F(GpuRenderPass, SamplesTexturesLinearlyWithClampedEdgesThroughTheBoundSampler) {
    // Two texels, black and white, stretched over eight pixels.
    auto image = texture(2, 1, TextureUsage::ShaderRead);
    const std::uint8_t texels[8] = {0, 0, 0, 255, 255, 255, 255, 255};
    ASSERT_TRUE(image->replaceRegion(image->wholeRegion(), texels, 8));
    auto state = pipeline(kTestProgram, "fullScreen", "sampled");
    auto t = target(8, 1);

    auto linear = device_->newSamplerState(gpu::SamplerDescriptor::linearClamp());
    draw(state, t, {}, {1.0f, 0.5f, 1.0f, 1.0f}, image, linear);
    auto p = readBack(*t);
    // Pixel i reads texel coordinate (i + 0.5) / 4 - 0.5, clamped to the edge texels.
    const double expected[8] = {0, 0, 0.125, 0.375, 0.625, 0.875, 1, 1};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(p[i * 4 + 2], expected[i] * 255, 2.0) << "red, pixel " << i;
        EXPECT_NEAR(p[i * 4 + 1], expected[i] * 0.5 * 255, 2.0) << "green is tinted by 0.5";
    }

    auto nearest = device_->newSamplerState(gpu::SamplerDescriptor{});
    draw(state, t, {}, {1, 1, 1, 1}, image, nearest);
    p = readBack(*t);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i * 4 + 2], i < 4 ? 0 : 255) << "pixel " << i;
}

}  // namespace

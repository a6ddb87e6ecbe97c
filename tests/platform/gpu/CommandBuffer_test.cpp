#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "platform/gpu/BlitCommandEncoder.h"
#include "platform/gpu/RenderPassDescriptor.h"
#include "tests/platform/gpu/GpuTestSupport.h"

namespace {

using gpu::CommandBuffer;
using gpu::PrimitiveType;
using gpu::TextureUsage;
using Status = gpu::CommandBuffer::Status;

class GpuCommandBuffer : public GpuTest {};

std::shared_ptr<CommandBuffer> clearingBuffer(const std::shared_ptr<gpu::CommandQueue>& queue,
                                              const std::shared_ptr<gpu::Texture>& t,
                                              gpu::ClearColor color) {
    auto buffer = queue->commandBuffer();
    buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(t, color))->endEncoding();
    return buffer;
}

TEST_F(GpuCommandBuffer, BuffersExecuteInCommitOrderWhateverQueueMadeThem) {
    auto t = target(2, 2);
    auto first = clearingBuffer(device_->newCommandQueue(), t, {1, 0, 0, 1});
    auto second = clearingBuffer(device_->newCommandQueue(), t, {0, 1, 0, 1});
    EXPECT_EQ(first->status(), Status::NotEnqueued);
    second->commit();
    first->commit();
    first->waitUntilCompleted();
    EXPECT_EQ(first->status(), Status::Completed);
    EXPECT_EQ(second->status(), Status::Completed) << "committed earlier, so finished earlier";
    const auto p = readBack(*t);
    EXPECT_EQ(p[2], 255) << "the buffer committed last wins, though it was recorded first";
    EXPECT_EQ(p[1], 0);

    // A second commit does not run the work again.
    auto third = clearingBuffer(device_->newCommandQueue(), t, {0, 0, 1, 1});
    third->commit();
    third->waitUntilCompleted();
    first->commit();
    first->waitUntilCompleted();
    EXPECT_EQ(readBack(*t)[0], 255);
}

TEST_F(GpuCommandBuffer, ARecordingMistakeFailsTheWholeBufferAndRunsNothing) {
    auto sampledState = pipeline(kTestProgram, "fullScreen", "sampled");
    auto solidState = pipeline(kTestProgram, "fullScreen", "solid");
    auto image = texture(2, 2, TextureUsage::ShaderRead);
    auto writeOnly = texture(2, 2, TextureUsage::ShaderWrite);
    auto sampler = device_->newSamplerState(gpu::SamplerDescriptor::linearClamp());
    const std::array<float, 4> color{1, 1, 1, 1};
    auto t = target(2, 2);

    using Encode = std::function<void(gpu::RenderCommandEncoder&)>;
    const std::pair<Encode, std::string> mistakes[] = {
        {[&](auto& e) { e.drawPrimitives(PrimitiveType::Triangle, 0, 3); },
         "drawPrimitives without a render pipeline state"},
        {[&](auto& e) {
             e.setRenderPipelineState(sampledState);
             e.setFragmentBytes(color.data(), sizeof color, 0);
             e.setFragmentSamplerState(sampler, 0);
             e.drawPrimitives(PrimitiveType::Triangle, 0, 3);
         },
         "fragment texture slot 0 ('image') is empty"},
        {[&](auto& e) {
             e.setRenderPipelineState(sampledState);
             e.setFragmentBytes(color.data(), sizeof color, 0);
             e.setFragmentTexture(image, 0);
             e.drawPrimitives(PrimitiveType::Triangle, 0, 3);
         },
         "fragment sampler slot 0 is empty"},
        {[&](auto& e) {
             e.setRenderPipelineState(sampledState);
             e.setFragmentBytes(color.data(), sizeof color, 0);
             e.setFragmentTexture(writeOnly, 0);
             e.setFragmentSamplerState(sampler, 0);
             e.drawPrimitives(PrimitiveType::Triangle, 0, 3);
         },
         "without ShaderRead usage"},
        {[&](auto& e) {
             e.setRenderPipelineState(sampledState);
             e.setFragmentBytes(color.data(), sizeof color, 0);
             e.setFragmentTexture(t, 0);
             e.setFragmentSamplerState(sampler, 0);
             e.drawPrimitives(PrimitiveType::Triangle, 0, 3);
         },
         "holds the render target itself"},
        {[&](auto& e) {
             e.setRenderPipelineState(solidState);
             e.drawPrimitives(PrimitiveType::Triangle, 0, 3);
         },
         "fragment buffer slot 0 ('Params') is empty"},
        {[&](auto& e) {
             e.setRenderPipelineState(solidState);
             e.setFragmentBytes(color.data(), 8, 0);
             e.drawPrimitives(PrimitiveType::Triangle, 0, 3);
         },
         "holds 8 bytes; the block needs 16"},
        {[&](auto& e) { e.setFragmentBytes(color.data(), gpu::kMaxInlineBytes + 1, 0); },
         "setFragmentBytes takes 1 to 4096 bytes"},
        {[&](auto& e) { e.setFragmentTexture(image, gpu::kMaxFragmentTextures); },
         "fragment texture slot 8 does not exist"},
    };
    for (const auto& [encode, expected] : mistakes) {
        fill(*t, 255, 0, 0, 255);
        auto buffer = device_->newCommandQueue()->commandBuffer();
        auto encoder =
            buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(t, {0, 1, 0, 1}));
        encode(*encoder);
        encoder->endEncoding();
        buffer->commit();
        buffer->waitUntilCompleted();
        EXPECT_EQ(buffer->status(), Status::Error) << expected;
        EXPECT_NE(buffer->error().find(expected), std::string::npos)
            << "error: " << buffer->error() << "\nexpected: " << expected;
        EXPECT_EQ(readBack(*t)[0], 255) << "the clear must not have run: " << expected;
    }

    // Committing with the encoder still open.
    auto open = device_->newCommandQueue()->commandBuffer();
    auto encoder = open->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(t));
    open->commit();
    EXPECT_EQ(open->status(), Status::Error);
    EXPECT_NE(open->error().find("still open"), std::string::npos) << open->error();
    encoder->endEncoding();
}

TEST_F(GpuCommandBuffer, OneEncoderAtATimeAndRenderPassesNeedARenderTarget) {
    auto buffer = device_->newCommandQueue()->commandBuffer();
    auto t = target(2, 2);
    auto first = buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(t));
    ASSERT_TRUE(first);
    EXPECT_FALSE(buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(t)));
    EXPECT_FALSE(buffer->blitCommandEncoder());
    first->endEncoding();
    auto blit = buffer->blitCommandEncoder();
    ASSERT_TRUE(blit);
    blit->endEncoding();

    auto readOnly = texture(2, 2, TextureUsage::ShaderRead | TextureUsage::ShaderWrite);
    EXPECT_FALSE(buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(readOnly)));
    EXPECT_FALSE(buffer->renderCommandEncoder(gpu::RenderPassDescriptor{})) << "no target";

    buffer->commit();
    buffer->waitUntilCompleted();
    EXPECT_EQ(buffer->status(), Status::Completed) << buffer->error();
    EXPECT_FALSE(buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(t)))
        << "a committed buffer takes no more work";
}

TEST_F(GpuCommandBuffer, BlitCopiesWholeTexturesAndRegionsAndRefusesOverlaps) {
    auto source = texture(4, 3, TextureUsage::ShaderRead);
    std::vector<std::uint8_t> pixels(4 * 3 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 5);
    source->replaceRegion(source->wholeRegion(), pixels.data(), 16);
    auto copy = texture(4, 3, TextureUsage::ShaderRead);
    fill(*copy, 1, 2, 3, 4);

    auto buffer = device_->newCommandQueue()->commandBuffer();
    auto blit = buffer->blitCommandEncoder();
    blit->copyFromTexture(source, copy);
    // Then the 2x1 block at (2, 1) of the source to (0, 2) of the copy.
    blit->copyFromTexture(source, {2, 1}, {2, 1}, copy, {0, 2});
    blit->endEncoding();
    buffer->commit();
    buffer->waitUntilCompleted();
    ASSERT_EQ(buffer->status(), Status::Completed) << buffer->error();

    auto expected = pixels;
    std::copy_n(pixels.begin() + (1 * 4 + 2) * 4, 8, expected.begin() + (2 * 4 + 0) * 4);
    EXPECT_EQ(readBack(*copy), expected);

    const std::pair<std::function<void(gpu::BlitCommandEncoder&)>, std::string> mistakes[] = {
        {[&](auto& b) {
             b.copyFromTexture(source, {0, 0}, {2, 2}, source, {1, 1});
         },
         "must not overlap"},
        {[&](auto& b) {
             b.copyFromTexture(source, {3, 0}, {2, 1}, copy, {0, 0});
         },
         "region leaves a texture"},
        {[&](auto& b) { b.copyFromTexture(source, texture(2, 2, TextureUsage::ShaderRead)); },
         "equal size"},
    };
    for (const auto& [encode, expectedError] : mistakes) {
        auto failing = device_->newCommandQueue()->commandBuffer();
        auto encoder = failing->blitCommandEncoder();
        encode(*encoder);
        encoder->endEncoding();
        failing->commit();
        EXPECT_EQ(failing->status(), Status::Error);
        EXPECT_NE(failing->error().find(expectedError), std::string::npos) << failing->error();
    }
}

}  // namespace

#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/gpu/SamplerState.h"
#include "platform/gpu/Texture.h"

// One device per test suite. A machine without any GPU, not even llvmpipe, fails these tests
// loudly rather than skipping them.
class GpuTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { device_ = gpu::Device::create(&reason_); }
    static void TearDownTestSuite() { device_.reset(); }
    void SetUp() override { ASSERT_TRUE(device_) << "no GPU device: " << reason_; }

    static std::shared_ptr<gpu::Texture> texture(std::size_t w, std::size_t h,
                                                 gpu::TextureUsage usage) {
        return device_->newTexture(gpu::TextureDescriptor::texture2D(w, h, usage));
    }

    static std::shared_ptr<gpu::Texture> target(std::size_t w, std::size_t h) {
        return texture(w, h, gpu::TextureUsage::RenderTarget | gpu::TextureUsage::ShaderRead);
    }

    // Fills a texture with one BGRA colour.
    static void fill(gpu::Texture& t, std::uint8_t b, std::uint8_t g, std::uint8_t r,
                     std::uint8_t a) {
        std::vector<std::uint8_t> pixels(t.width() * t.height() * 4);
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = b;
            pixels[i + 1] = g;
            pixels[i + 2] = r;
            pixels[i + 3] = a;
        }
        ASSERT_TRUE(t.replaceRegion(t.wholeRegion(), pixels.data(), t.width() * 4));
    }

    static std::vector<std::uint8_t> readBack(const gpu::Texture& t) {
        std::vector<std::uint8_t> pixels(t.width() * t.height() * 4);
        EXPECT_TRUE(t.getBytes(pixels.data(), t.width() * 4, t.wholeRegion()));
        return pixels;
    }

    static std::shared_ptr<gpu::RenderPipelineState> pipeline(
        std::string_view source, const char* vertex, const char* fragment,
        gpu::RenderPipelineColorAttachmentDescriptor color = {}) {
        std::string error;
        auto library = device_->newLibrary(source, &error);
        EXPECT_TRUE(library) << error;
        if (!library) return nullptr;
        gpu::RenderPipelineDescriptor descriptor;
        descriptor.vertexFunction = library->newFunction(vertex);
        descriptor.fragmentFunction = library->newFunction(fragment);
        descriptor.colorAttachment = color;
        auto state = device_->newRenderPipelineState(descriptor, &error);
        EXPECT_TRUE(state) << error;
        return state;
    }

    static std::shared_ptr<gpu::Device> device_;
    static std::string reason_;
};

// A full-screen triangle with uv (0, 0) at the top-left, and fragment stages that paint a
// constant colour, the uv itself, or a texture tinted by a constant colour.
inline constexpr const char* kTestProgram = R"glsl(
precision highp float;

#pragma stage vertex fullScreen
out vec2 uv;
void fullScreen() {
    vec2 p = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    gl_Position = vec4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, 0.0, 1.0);
    uv = p;
}

#pragma stage fragment solid
#pragma buffer 0 Params
layout(std140) uniform Params { vec4 color; };
out vec4 fragColor;
void solid() { fragColor = color; }

#pragma stage fragment coordinates
in vec2 uv;
out vec4 fragColor;
void coordinates() { fragColor = vec4(uv, 0.0, 1.0); }

#pragma stage fragment sampled
#pragma texture 0 image sampler 0
#pragma buffer 0 Params
in vec2 uv;
out vec4 fragColor;
uniform sampler2D image;
layout(std140) uniform Params { vec4 color; };
void sampled() { fragColor = texture(image, uv) * color; }
)glsl";

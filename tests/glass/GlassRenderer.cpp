#include "tests/glass/GlassRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "glass/LGGlassPipeline.h"
#include "glass/LGGlassShaderSource.h"
#include "glass/LGMaskEdgeField.h"
#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/RenderPassDescriptor.h"
#include "testing/glass/ClockMask.h"

namespace {

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

void BgraImage::set(std::size_t x, std::size_t y, float r, float g, float b, float a) {
    std::uint8_t* p = at(x, y);
    p[0] = toByte(b);
    p[1] = toByte(g);
    p[2] = toByte(r);
    p[3] = toByte(a);
}

std::unique_ptr<GlassRenderer> GlassRenderer::create(std::string* error) {
    auto renderer = std::unique_ptr<GlassRenderer>(new GlassRenderer());
    renderer->device_ = gpu::Device::create(error);
    if (!renderer->device_) return nullptr;
    auto& device = renderer->device_;
    auto library = device->newLibrary(LGGlassShaderSource(), error);
    if (!library) return nullptr;
    renderer->pipelines_ = LGGlassPipelinesCreate(*device, *library, error);
    if (!renderer->pipelines_) return nullptr;
    renderer->sampler_ = device->newSamplerState(gpu::SamplerDescriptor::linearClamp());
    renderer->queue_ = device->newCommandQueue();
    BgraImage white(1, 1);
    white.set(0, 0, 1, 1, 1, 1);
    renderer->placeholder_ = renderer->upload(white);
    return renderer;
}

std::shared_ptr<gpu::Texture> GlassRenderer::upload(const BgraImage& image) {
    auto texture = device_->newTexture(gpu::TextureDescriptor::texture2D(
        image.width, image.height, gpu::TextureUsage::ShaderRead));
    if (texture)
        texture->replaceRegion(texture->wholeRegion(), image.pixels.data(), image.width * 4);
    return texture;
}

BgraImage GlassRenderer::render(const Uniforms& uniforms, const BgraImage& wallpaper,
                                const BgraImage* mask, std::size_t width, std::size_t height,
                                std::string* error, GlassDraws draws) {
    auto target = device_->newTexture(gpu::TextureDescriptor::texture2D(
        width, height, gpu::TextureUsage::RenderTarget | gpu::TextureUsage::ShaderRead));
    auto wallpaperTexture = upload(wallpaper);
    auto maskTexture = mask != nullptr ? upload(*mask) : placeholder_;
    // The mask's edge field, made for this target as the glass view makes it for its drawable.
    LGMaskEdgeFieldTextures edges{placeholder_, placeholder_, {}};
    if (mask != nullptr) {
        edges = LGMaskEdgeFieldUpload(
            device_, {mask->pixels.data(), mask->width, mask->height, mask->width * 4}, width,
            height);
    }

    auto buffer = queue_->commandBuffer();
    auto encoder = buffer->renderCommandEncoder(gpu::RenderPassDescriptor::clearing(target));
    encoder->setFragmentBytes(&uniforms, sizeof uniforms, 0);
    encoder->setFragmentTexture(wallpaperTexture, 0);
    encoder->setFragmentTexture(maskTexture, 1);
    encoder->setFragmentTexture(edges.field, 2);
    encoder->setFragmentTexture(edges.tiles, 3);
    encoder->setFragmentBytes(&edges.placement, sizeof edges.placement, 1);
    encoder->setFragmentSamplerState(sampler_, 0);
    if (draws == GlassDraws::Whole) {
        encoder->setRenderPipelineState(pipelines_.whole);
        encoder->drawPrimitives(gpu::PrimitiveType::Triangle, 0, 6);
    } else {
        LGGlassEncodeDraws(*encoder, pipelines_, mask != nullptr ? edges.tiles.get() : nullptr);
    }
    encoder->endEncoding();
    buffer->commit();
    buffer->waitUntilCompleted();
    if (error != nullptr) *error = buffer->error();

    BgraImage out(width, height);
    target->getBytes(out.pixels.data(), width * 4, target->wholeRegion());
    return out;
}

LGFloat2 pixelCentreUV(std::size_t x, std::size_t y, std::size_t width, std::size_t height) {
    return {(static_cast<float>(x) + 0.5f) / static_cast<float>(width),
            (static_cast<float>(y) + 0.5f) / static_cast<float>(height)};
}

ReferenceComparison compareWithReference(const BgraImage& gpu, const Uniforms& uniforms,
                                         const BgraImage& wallpaper, const BgraImage* mask,
                                         int tolerance) {
    ReferenceComparison result;
    const BgraImage white = [] {
        BgraImage w(1, 1);
        w.set(0, 0, 1, 1, 1, 1);
        return w;
    }();
    const LGGlassReference::Image maskView = mask != nullptr ? mask->view() : white.view();
    for (std::size_t y = 0; y < gpu.height; ++y) {
        for (std::size_t x = 0; x < gpu.width; ++x) {
            const auto f = LGGlassReference::shade(
                uniforms, pixelCentreUV(x, y, gpu.width, gpu.height), wallpaper.view(), maskView);
            if (f.nearThreshold) {
                ++result.nearThreshold;
                continue;
            }
            ++result.compared;
            std::uint8_t expected[4] = {0, 0, 0, 0};
            if (!f.discarded) {
                const float a = f.color[3];
                expected[0] = toByte(f.color[2] * a);
                expected[1] = toByte(f.color[1] * a);
                expected[2] = toByte(f.color[0] * a);
                expected[3] = toByte(a);
            }
            const std::uint8_t* actual = gpu.at(x, y);
            int difference = 0;
            for (int c = 0; c < 4; ++c) {
                difference = std::max(difference, std::abs(int(actual[c]) - int(expected[c])));
            }
            if (difference > tolerance) ++result.mismatches;
            if (difference > result.maxDifference) {
                result.maxDifference = difference;
                result.worst = "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                               ") BGRA " + std::to_string(actual[0]) + " " +
                               std::to_string(actual[1]) + " " + std::to_string(actual[2]) + " " +
                               std::to_string(actual[3]) + ", reference " +
                               std::to_string(expected[0]) + " " + std::to_string(expected[1]) +
                               " " + std::to_string(expected[2]) + " " +
                               std::to_string(expected[3]) + (f.discarded ? " (discarded)" : "");
            }
        }
    }
    return result;
}

BgraImage makeWallpaper(std::size_t width, std::size_t height) {
    BgraImage image(width, height);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x) / static_cast<float>(width);
            const float fy = static_cast<float>(y) / static_cast<float>(height);
            image.set(x, y, 0.15f + 0.7f * fx, 0.5f + 0.35f * std::sin(fy * 7.0f + fx * 3.0f),
                      0.85f - 0.6f * fy, 1.0f);
        }
    }
    return image;
}

BgraImage makeStripes(std::size_t width, std::size_t height, std::size_t period) {
    BgraImage image(width, height);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const bool red = ((x + y) / period) % 2 == 0;
            image.set(x, y, red ? 0.95f : 0.05f, 0.4f, red ? 0.05f : 0.95f, 1.0f);
        }
    }
    return image;
}

BgraImage makeRingMask(std::size_t width, std::size_t height, float inner, float outer) {
    BgraImage image(width, height);
    const float cx = static_cast<float>(width) / 2.0f;
    const float cy = static_cast<float>(height) / 2.0f;
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - cx;
            const float dy = static_cast<float>(y) + 0.5f - cy;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float coverage =
                std::clamp(std::min(r - inner + 0.5f, outer - r + 0.5f), 0.0f, 1.0f);
            // Premultiplied white, as the mask upload draws it; only alpha is read.
            image.set(x, y, coverage, coverage, coverage, coverage);
        }
    }
    return image;
}

namespace {

BgraImage coverageMask(std::size_t width, std::size_t height,
                       const std::function<float(float x, float y)>& coverage) {
    BgraImage image(width, height);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const float c = std::clamp(
                coverage(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f), 0.0f, 1.0f);
            image.set(x, y, c, c, c, c);
        }
    }
    return image;
}

}  // namespace

BgraImage makeClockMaskImage(std::size_t width, std::size_t height) {
    BgraImage image(width, height);
    image.pixels = makeClockMask(width, height, "10:09");
    return image;
}

BgraImage makeRoundedRectMask(std::size_t width, std::size_t height, float inset, float radius) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    return coverageMask(width, height, [=](float x, float y) {
        // Signed distance to the rounded rectangle inset from the edges, anti-aliased over a texel.
        const float qx = std::fabs(x - w / 2) - (w / 2 - inset - radius);
        const float qy = std::fabs(y - h / 2) - (h / 2 - inset - radius);
        const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        const float d = outside + std::min(std::max(qx, qy), 0.0f) - radius;
        return 0.5f - d;
    });
}

BgraImage makeThinStrokesMask(std::size_t width, std::size_t height) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    return coverageMask(width, height, [=](float x, float y) {
        // A one-texel horizontal line, a two-texel vertical one and a diagonal hairline.
        const float horizontal = 1.0f - std::fabs(y - h * 0.3f) * 2.0f + 0.5f;
        const float vertical = 1.5f - std::fabs(x - w * 0.7f);
        const float diagonal = 1.0f - std::fabs((x - y * w / h) * 0.7071f);
        return std::max({horizontal, vertical, diagonal});
    });
}

BgraImage makeOnePixelMask(std::size_t width, std::size_t height) {
    BgraImage image(width, height);
    image.set(width / 2, height / 2, 1, 1, 1, 1);
    return image;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "glass/LGGlassPipeline.h"
#include "glass/Uniforms.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/gpu/SamplerState.h"
#include "platform/gpu/Texture.h"
#include "testing/glass/LGGlassReference.h"

// 8-bit BGRA pixels in memory, row 0 at the top.
struct BgraImage {
    std::size_t width = 0;
    std::size_t height = 0;
    std::vector<std::uint8_t> pixels;

    BgraImage() = default;
    BgraImage(std::size_t w, std::size_t h) : width(w), height(h), pixels(w * h * 4, 0) {}

    std::uint8_t* at(std::size_t x, std::size_t y) { return pixels.data() + (y * width + x) * 4; }
    const std::uint8_t* at(std::size_t x, std::size_t y) const {
        return pixels.data() + (y * width + x) * 4;
    }
    void set(std::size_t x, std::size_t y, float r, float g, float b, float a);
    LGGlassReference::Image view() const { return {width, height, pixels.data(), width * 4}; }
    bool operator==(const BgraImage& other) const = default;
};

// How the glass is drawn: as the glass view draws it (the band and plain draws), or in the one
// draw of the whole drawable that the split must match byte for byte.
enum class GlassDraws { Split, Whole };

// Draws the glass program the way the glass view does: one pass into a target cleared to
// (0, 0, 0, 0), the glass blend state, one linear clamp-to-edge sampler, and the mask's edge field
// made for the target's size.
class GlassRenderer {
  public:
    // nullptr with *error set when there is no GPU or the program does not build.
    static std::unique_ptr<GlassRenderer> create(std::string* error);

    // `mask` may be null: a 1x1 opaque white texture is bound instead, as the glass view does.
    BgraImage render(const Uniforms& uniforms, const BgraImage& wallpaper, const BgraImage* mask,
                     std::size_t width, std::size_t height, std::string* error = nullptr,
                     GlassDraws draws = GlassDraws::Split);

    const LGGlassPipelines& pipelines() const { return pipelines_; }

  private:
    std::shared_ptr<gpu::Texture> upload(const BgraImage& image);

    std::shared_ptr<gpu::Device> device_;
    LGGlassPipelines pipelines_;
    std::shared_ptr<gpu::SamplerState> sampler_;
    std::shared_ptr<gpu::CommandQueue> queue_;
    std::shared_ptr<gpu::Texture> placeholder_;
};

// GPU pixels against the reference. Expected bytes are the reference's straight-alpha colour
// blended over the cleared target (colour × alpha, alpha), or all zero for a discarded pixel.
struct ReferenceComparison {
    int compared = 0;
    int nearThreshold = 0;  // pixels whose branch decisions were too close to call; not compared
    int mismatches = 0;
    int maxDifference = 0;
    std::string worst;
};

ReferenceComparison compareWithReference(const BgraImage& gpu, const Uniforms& uniforms,
                                         const BgraImage& wallpaper, const BgraImage* mask,
                                         int tolerance);

// The pixel's centre in localUV.
LGFloat2 pixelCentreUV(std::size_t x, std::size_t y, std::size_t width, std::size_t height);

// Test images.
BgraImage makeWallpaper(std::size_t width, std::size_t height);
BgraImage makeStripes(std::size_t width, std::size_t height, std::size_t period);
// An anti-aliased ring: opaque between radii inner and outer around the centre, alpha falling
// over one texel at both edges.
BgraImage makeRingMask(std::size_t width, std::size_t height, float inner, float outer);
// The clock's "10:09" in the rounded strokes of testing/glass/ClockMask.h.
BgraImage makeClockMaskImage(std::size_t width, std::size_t height);
// A rounded rectangle `inset` texels in from every side, corner radius `radius`.
BgraImage makeRoundedRectMask(std::size_t width, std::size_t height, float inset, float radius);
// Strokes one and two texels wide, horizontal, vertical and diagonal.
BgraImage makeThinStrokesMask(std::size_t width, std::size_t height);
// A single opaque texel in the middle.
BgraImage makeOnePixelMask(std::size_t width, std::size_t height);

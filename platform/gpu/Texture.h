#pragma once

#include <cstddef>
#include <memory>

#include "platform/gpu/Types.h"

namespace gpu {

class Device;

struct TextureDescriptor {
    PixelFormat pixelFormat = PixelFormat::BGRA8Unorm;
    std::size_t width = 0;
    std::size_t height = 0;
    TextureUsage usage = TextureUsage::ShaderRead;

    static TextureDescriptor texture2D(std::size_t width, std::size_t height, TextureUsage usage) {
        return {PixelFormat::BGRA8Unorm, width, height, usage};
    }
};

// A two-dimensional image in GPU memory, one level, no mipmaps. Row 0 is the top of the image
// everywhere: in uploads, in read-backs, at texture coordinate v = 0, and at clip-space y = +1
// when the texture is a render target.
//
// Without a sampler state bound, shaders read it with nearest filtering and clamp-to-edge.
class Texture {
  public:
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    std::size_t width() const { return width_; }
    std::size_t height() const { return height_; }
    PixelFormat pixelFormat() const { return format_; }
    TextureUsage usage() const { return usage_; }
    const std::shared_ptr<Device>& device() const { return device_; }

    // Copies BGRA pixels from memory (rows bytesPerRow apart) into `region`. Takes effect before
    // any command buffer committed afterwards. False, with nothing changed, when the region is
    // empty or leaves the texture, bytes is null, or bytesPerRow is below 4 × the region's width
    // or not a multiple of 4.
    bool replaceRegion(const Region& region, const void* bytes, std::size_t bytesPerRow);

    // Reads `region` back into memory as BGRA (rows bytesPerRow apart), after all committed work
    // that writes the texture. Same refusals as replaceRegion.
    bool getBytes(void* bytes, std::size_t bytesPerRow, const Region& region) const;

    Region wholeRegion() const { return {{0, 0}, {width_, height_}}; }

    // GL names, for the module's own encoders.
    unsigned glTextureName() const { return texture_; }
    // A framebuffer with this texture as colour attachment 0, created on first use.
    unsigned glFramebufferName() const;

  private:
    friend class Device;
    Texture(std::shared_ptr<Device> device, const TextureDescriptor& descriptor, unsigned texture);

    bool regionIsValid(const Region& region, const void* bytes, std::size_t bytesPerRow) const;

    std::shared_ptr<Device> device_;
    std::size_t width_;
    std::size_t height_;
    PixelFormat format_;
    TextureUsage usage_;
    unsigned texture_;
    mutable unsigned framebuffer_ = 0;
};

}  // namespace gpu

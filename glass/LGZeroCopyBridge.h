#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace gpu {
class Device;
class Texture;
}  // namespace gpu

namespace graphics {
class Context;
}

// A CPU-drawable, GPU-readable image: the CPU draws into a pixel buffer with the 2-D drawing API
// and the GPU samples the same pixels as an 8-bit BGRA texture.
//
// How the pixels reach the GPU here: OpenGL ES has no portable way to let a texture alias client
// memory, so the pixel buffer is a block of process memory (premultiplied BGRA, rows packed at
// 4 x width bytes) and each render ends by copying it once into the bridge's texture, the step
// that on the phone is the texture cache flush. The copy is issued before renderWithActions
// returns and takes effect before any command buffer committed afterwards, so a caller sees the
// drawn pixels in its next frame exactly as with shared memory. Uploads never redraw a bridge that
// a frame may still sample: each upload makes a new bridge.
//
// Main thread only.
class LGZeroCopyBridge {
  public:
    using Actions = std::function<void(graphics::Context& context)>;

    // A bridge for `device`. Without a device every later set-up fails.
    explicit LGZeroCopyBridge(std::shared_ptr<gpu::Device> device);
    ~LGZeroCopyBridge();
    LGZeroCopyBridge(const LGZeroCopyBridge&) = delete;
    LGZeroCopyBridge& operator=(const LGZeroCopyBridge&) = delete;

    // Replaces the pixel buffer and texture with new ones of this size. False, with no buffer left
    // behind, when a side is 0, there is no device, or the device cannot make the texture.
    bool setupBufferWithWidth(std::size_t width, std::size_t height);

    // Calls `actions` with a drawing context over the pixel buffer (user space in pixels, y down,
    // row 0 at the top), then publishes the pixels to the texture and returns it. nullptr,
    // without calling `actions`, when there is no buffer or no context can be made over it.
    std::shared_ptr<gpu::Texture> renderWithActions(const Actions& actions);

    // Size of the current pixel buffer, 0 when there is none.
    std::size_t bufferWidth() const { return width_; }
    std::size_t bufferHeight() const { return height_; }
    const std::shared_ptr<gpu::Device>& device() const { return device_; }
    // The pixels as last drawn (premultiplied BGRA, rows 4 x bufferWidth() bytes apart); null
    // when there is no buffer.
    const std::uint8_t* bufferBytes() const {
        return pixelBuffer_.empty() ? nullptr
                                    : reinterpret_cast<const std::uint8_t*>(pixelBuffer_.data());
    }

  private:
    void releaseBuffer();

    std::shared_ptr<gpu::Device> device_;
    std::vector<std::uint32_t> pixelBuffer_;  // 32-bit words keep the rows 4-byte aligned
    std::shared_ptr<gpu::Texture> texture_;
    std::size_t width_ = 0;
    std::size_t height_ = 0;
};

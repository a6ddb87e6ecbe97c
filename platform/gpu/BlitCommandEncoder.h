#pragma once

#include <memory>

#include "platform/gpu/Types.h"

namespace gpu {

class CommandBuffer;
class Texture;

// Records texture copies into its command buffer. Misuse fails the command buffer.
class BlitCommandEncoder {
  public:
    ~BlitCommandEncoder();
    BlitCommandEncoder(const BlitCommandEncoder&) = delete;
    BlitCommandEncoder& operator=(const BlitCommandEncoder&) = delete;

    // Copies `size` texels from `source` at `sourceOrigin` to `destination` at
    // `destinationOrigin`. Both regions must lie inside their textures, the formats must match,
    // and a copy within one texture must not overlap itself.
    void copyFromTexture(std::shared_ptr<Texture> source, Origin sourceOrigin, Extent size,
                         std::shared_ptr<Texture> destination, Origin destinationOrigin);

    // Copies the whole of `source` into `destination` at (0, 0); the sizes must be equal.
    void copyFromTexture(std::shared_ptr<Texture> source, std::shared_ptr<Texture> destination);

    void endEncoding();

  private:
    friend class CommandBuffer;
    explicit BlitCommandEncoder(std::shared_ptr<CommandBuffer> buffer);

    std::shared_ptr<CommandBuffer> buffer_;
    bool ended_ = false;
};

}  // namespace gpu

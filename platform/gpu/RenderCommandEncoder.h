#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/RenderPassDescriptor.h"
#include "platform/gpu/Types.h"

namespace gpu {

class CommandBuffer;
class RenderPipelineState;
class SamplerState;
class Texture;

// Records one render pass into its command buffer. State set here applies to the draws recorded
// after it; each draw keeps what was bound when it was recorded. Draws take their vertices from
// the vertex index alone (there are no vertex buffers).
//
// Misuse fails the command buffer (see CommandBuffer) rather than drawing something else.
class RenderCommandEncoder {
  public:
    ~RenderCommandEncoder();
    RenderCommandEncoder(const RenderCommandEncoder&) = delete;
    RenderCommandEncoder& operator=(const RenderCommandEncoder&) = delete;

    void setRenderPipelineState(std::shared_ptr<RenderPipelineState> pipeline);
    void setFragmentTexture(std::shared_ptr<Texture> texture, std::size_t index);
    void setFragmentSamplerState(std::shared_ptr<SamplerState> sampler, std::size_t index);
    // Copies `length` bytes as the constant record of fragment buffer slot `index`. The bytes are
    // the std140 layout of the slot's uniform block and must cover the whole block.
    void setFragmentBytes(const void* bytes, std::size_t length, std::size_t index);
    void drawPrimitives(PrimitiveType type, std::size_t vertexStart, std::size_t vertexCount);
    void endEncoding();

  private:
    friend class CommandBuffer;
    RenderCommandEncoder(std::shared_ptr<CommandBuffer> buffer,
                         const RenderPassDescriptor& descriptor);

    bool usable(const char* call);

    std::shared_ptr<CommandBuffer> buffer_;
    std::shared_ptr<Texture> target_;
    bool ended_ = false;
    std::shared_ptr<RenderPipelineState> pipeline_;
    std::array<std::shared_ptr<Texture>, kMaxFragmentTextures> textures_;
    std::array<std::shared_ptr<SamplerState>, kMaxFragmentSamplers> samplers_;
    std::array<std::shared_ptr<const std::vector<std::uint8_t>>, kMaxFragmentBuffers> bytes_;
};

}  // namespace gpu

#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/Types.h"

namespace gpu {

class Device;
class Function;

struct RenderPipelineColorAttachmentDescriptor {
    PixelFormat pixelFormat = PixelFormat::BGRA8Unorm;
    bool blendingEnabled = false;
    BlendFactor sourceRGBBlendFactor = BlendFactor::One;
    BlendFactor destinationRGBBlendFactor = BlendFactor::Zero;
    BlendOperation rgbBlendOperation = BlendOperation::Add;
    BlendFactor sourceAlphaBlendFactor = BlendFactor::One;
    BlendFactor destinationAlphaBlendFactor = BlendFactor::Zero;
    BlendOperation alphaBlendOperation = BlendOperation::Add;
};

struct RenderPipelineDescriptor {
    std::shared_ptr<Function> vertexFunction;
    std::shared_ptr<Function> fragmentFunction;
    RenderPipelineColorAttachmentDescriptor colorAttachment;
};

// A linked vertex + fragment pair with its colour attachment state, built once and reused.
class RenderPipelineState {
  public:
    // What the driver made of fragment buffer slot `index`: the block's size in bytes and the
    // byte offset of every member, by member name.
    struct BufferLayout {
        std::string blockName;
        std::size_t dataSize = 0;
        std::map<std::string, std::size_t, std::less<>> memberOffsets;
    };

    ~RenderPipelineState();
    RenderPipelineState(const RenderPipelineState&) = delete;
    RenderPipelineState& operator=(const RenderPipelineState&) = delete;

    const RenderPipelineColorAttachmentDescriptor& colorAttachment() const { return color_; }
    const std::shared_ptr<Device>& device() const { return device_; }

    // The slots a draw with this pipeline reads. A buffer slot whose block the compiler dropped
    // as unused is not listed.
    const std::vector<FunctionBinding>& fragmentTextures() const { return textures_; }
    const std::vector<FunctionBinding>& fragmentBuffers() const { return buffers_; }

    // std::nullopt when slot `index` is not an active buffer of this pipeline.
    std::optional<BufferLayout> fragmentBufferLayout(std::size_t index) const;

    unsigned glProgramName() const { return program_; }

  private:
    friend class Device;
    static std::shared_ptr<RenderPipelineState> build(std::shared_ptr<Device> device,
                                                      const RenderPipelineDescriptor& descriptor,
                                                      std::string* error);
    explicit RenderPipelineState(std::shared_ptr<Device> device);

    std::shared_ptr<Device> device_;
    RenderPipelineColorAttachmentDescriptor color_;
    std::vector<FunctionBinding> textures_;
    std::vector<FunctionBinding> buffers_;
    std::map<std::size_t, BufferLayout> bufferLayouts_;
    unsigned program_ = 0;
};

}  // namespace gpu

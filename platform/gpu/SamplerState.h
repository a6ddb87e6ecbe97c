#pragma once

#include <memory>

#include "platform/gpu/Types.h"

namespace gpu {

class Device;

// How a shader reads a texture. There are no mipmaps, so there is no mip filter.
struct SamplerDescriptor {
    SamplerFilter minFilter = SamplerFilter::Nearest;
    SamplerFilter magFilter = SamplerFilter::Nearest;
    SamplerAddressMode sAddressMode = SamplerAddressMode::ClampToEdge;
    SamplerAddressMode tAddressMode = SamplerAddressMode::ClampToEdge;

    // Linear filtering, clamp-to-edge: what the glass and the blur read with.
    static SamplerDescriptor linearClamp() {
        return {SamplerFilter::Linear, SamplerFilter::Linear, SamplerAddressMode::ClampToEdge,
                SamplerAddressMode::ClampToEdge};
    }
};

class SamplerState {
  public:
    ~SamplerState();
    SamplerState(const SamplerState&) = delete;
    SamplerState& operator=(const SamplerState&) = delete;

    const SamplerDescriptor& descriptor() const { return descriptor_; }
    const std::shared_ptr<Device>& device() const { return device_; }
    unsigned glSamplerName() const { return sampler_; }

  private:
    friend class Device;
    SamplerState(std::shared_ptr<Device> device, const SamplerDescriptor& descriptor,
                 unsigned sampler);

    std::shared_ptr<Device> device_;
    SamplerDescriptor descriptor_;
    unsigned sampler_;
};

}  // namespace gpu

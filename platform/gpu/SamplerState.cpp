#include "platform/gpu/SamplerState.h"

#include <GLES3/gl3.h>

#include "platform/gpu/Device.h"

namespace gpu {

SamplerState::SamplerState(std::shared_ptr<Device> device, const SamplerDescriptor& descriptor,
                           unsigned sampler)
    : device_(std::move(device)), descriptor_(descriptor), sampler_(sampler) {}

SamplerState::~SamplerState() {
    device_->makeCurrent();
    glDeleteSamplers(1, &sampler_);
}

}  // namespace gpu

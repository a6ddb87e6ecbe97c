#include "platform/gpu/CommandQueue.h"

#include "platform/gpu/CommandBuffer.h"

namespace gpu {

std::shared_ptr<CommandBuffer> CommandQueue::commandBuffer() {
    return std::shared_ptr<CommandBuffer>(new CommandBuffer(device_));
}

}  // namespace gpu

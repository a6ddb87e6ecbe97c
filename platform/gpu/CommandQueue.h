#pragma once

#include <memory>

namespace gpu {

class CommandBuffer;
class Device;

// Hands out command buffers. Buffers from every queue of a device execute in the order they are
// committed.
class CommandQueue : public std::enable_shared_from_this<CommandQueue> {
  public:
    std::shared_ptr<CommandBuffer> commandBuffer();
    const std::shared_ptr<Device>& device() const { return device_; }

  private:
    friend class Device;
    explicit CommandQueue(std::shared_ptr<Device> device) : device_(std::move(device)) {}

    std::shared_ptr<Device> device_;
};

}  // namespace gpu

#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gpu {

class BlitCommandEncoder;
class Device;
class Drawable;
class RenderCommandEncoder;
struct RenderPassDescriptor;

// Work for the GPU, recorded through encoders and then committed.
//
// Commit issues the recorded work to the GPU in recording order and returns without waiting for
// it; command buffers execute in the order they are committed, whichever queue made them. A
// mistake found while recording (a draw with an empty slot, a too-short constant record, an
// encoder left open) fails the whole buffer: commit then executes nothing and status() is Error
// with the first such message.
class CommandBuffer : public std::enable_shared_from_this<CommandBuffer> {
  public:
    enum class Status { NotEnqueued, Committed, Completed, Error };

    ~CommandBuffer();
    CommandBuffer(const CommandBuffer&) = delete;
    CommandBuffer& operator=(const CommandBuffer&) = delete;

    // nullptr when another encoder is still open, the buffer was committed, or the pass has no
    // target texture or one without RenderTarget usage.
    std::shared_ptr<RenderCommandEncoder> renderCommandEncoder(
        const RenderPassDescriptor& descriptor);

    // nullptr when another encoder is still open or the buffer was committed.
    std::shared_ptr<BlitCommandEncoder> blitCommandEncoder();

    // Presents `drawable` once this buffer's work has run, whatever order it was asked in
    // relative to the encoders. Drawables are presented in the order they were added, and only
    // when the buffer executes without error: a failed buffer leaves the surface showing its
    // previous frame. Ignored for nullptr and after commit.
    void presentDrawable(std::shared_ptr<Drawable> drawable);

    // Issues the work and returns at once. A second commit does nothing.
    void commit();

    // Blocks until the GPU has finished this buffer's work. For tests and read-back only; the
    // drawing path never waits. Returns at once for a buffer that was not committed.
    void waitUntilCompleted();

    Status status() const;
    // The reason for Status::Error, else empty.
    const std::string& error() const { return error_; }
    const std::shared_ptr<Device>& device() const { return device_; }

  private:
    friend class BlitCommandEncoder;
    friend class CommandQueue;
    friend class GaussianBlur;
    friend class RenderCommandEncoder;

    explicit CommandBuffer(std::shared_ptr<Device> device);

    bool canOpenEncoder() const { return !encoderOpen_ && status_ == Status::NotEnqueued; }
    std::shared_ptr<RenderCommandEncoder> openRenderEncoder(const RenderPassDescriptor& descriptor,
                                                            bool requireRenderTargetUsage);
    void record(std::function<void()> command) { commands_.push_back(std::move(command)); }
    void fail(std::string message);
    void closeEncoder() { encoderOpen_ = false; }

    std::shared_ptr<Device> device_;
    std::vector<std::function<void()>> commands_;
    std::vector<std::shared_ptr<Drawable>> presents_;
    std::string error_;
    bool encoderOpen_ = false;
    mutable Status status_ = Status::NotEnqueued;
    mutable void* fence_ = nullptr;
};

}  // namespace gpu

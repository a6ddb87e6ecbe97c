#include "platform/gpu/CommandBuffer.h"

#include <GLES3/gl3.h>

#include "platform/gpu/BlitCommandEncoder.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/Drawable.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/RenderPassDescriptor.h"
#include "platform/gpu/Texture.h"
#include "platform/gpu/detail/GlContext.h"

namespace gpu {

CommandBuffer::CommandBuffer(std::shared_ptr<Device> device) : device_(std::move(device)) {}

CommandBuffer::~CommandBuffer() {
    if (fence_ != nullptr) {
        device_->makeCurrent();
        glDeleteSync(static_cast<GLsync>(fence_));
    }
}

std::shared_ptr<RenderCommandEncoder> CommandBuffer::renderCommandEncoder(
    const RenderPassDescriptor& descriptor) {
    return openRenderEncoder(descriptor, true);
}

std::shared_ptr<RenderCommandEncoder> CommandBuffer::openRenderEncoder(
    const RenderPassDescriptor& descriptor, bool requireRenderTargetUsage) {
    const auto& target = descriptor.colorAttachment.texture;
    if (!canOpenEncoder() || !target || target->device() != device_) return nullptr;
    if (requireRenderTargetUsage && !hasUsage(target->usage(), TextureUsage::RenderTarget)) {
        return nullptr;
    }
    encoderOpen_ = true;
    return std::shared_ptr<RenderCommandEncoder>(
        new RenderCommandEncoder(shared_from_this(), descriptor));
}

std::shared_ptr<BlitCommandEncoder> CommandBuffer::blitCommandEncoder() {
    if (!canOpenEncoder()) return nullptr;
    encoderOpen_ = true;
    return std::shared_ptr<BlitCommandEncoder>(new BlitCommandEncoder(shared_from_this()));
}

void CommandBuffer::fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
}

void CommandBuffer::presentDrawable(std::shared_ptr<Drawable> drawable) {
    if (!drawable || status_ != Status::NotEnqueued) return;
    presents_.push_back(std::move(drawable));
}

void CommandBuffer::commit() {
    if (status_ != Status::NotEnqueued) return;
    if (encoderOpen_) fail("committed while an encoder was still open");
    if (!error_.empty()) {
        status_ = Status::Error;
        commands_.clear();
        presents_.clear();
        return;
    }
    device_->makeCurrent();
    detail::drainGlErrors();
    for (const auto& command : commands_) command();
    // Dropping the commands releases the resources they captured; GL keeps each object alive
    // until the work issued above no longer needs it.
    commands_.clear();
    std::string glError = detail::takeGlError();
    // Presents come after all of the buffer's work and only after work that succeeded. A
    // surface reads its texture back when presented, which GL orders after the draws above.
    std::vector<std::shared_ptr<Drawable>> presents = std::move(presents_);
    presents_.clear();
    if (glError.empty()) {
        for (const auto& drawable : presents) drawable->present();
        device_->makeCurrent();
    }
    fence_ = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    if (glError.empty()) glError = detail::takeGlError();
    if (!glError.empty()) {
        error_ = "OpenGL reported " + glError + " while executing the command buffer";
        status_ = Status::Error;
        return;
    }
    status_ = Status::Committed;
}

void CommandBuffer::waitUntilCompleted() {
    if (status_ != Status::Committed) return;
    device_->makeCurrent();
    GLsync fence = static_cast<GLsync>(fence_);
    for (;;) {
        GLenum result = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1'000'000'000);
        if (result == GL_ALREADY_SIGNALED || result == GL_CONDITION_SATISFIED) break;
        if (result == GL_WAIT_FAILED) {
            // The fence cannot be waited on; finishing the whole context still orders us after
            // the work.
            glFinish();
            break;
        }
    }
    status_ = Status::Completed;
}

CommandBuffer::Status CommandBuffer::status() const {
    if (status_ == Status::Committed && fence_ != nullptr) {
        device_->makeCurrent();
        GLint value = GL_UNSIGNALED;
        glGetSynciv(static_cast<GLsync>(fence_), GL_SYNC_STATUS, 1, nullptr, &value);
        if (value == GL_SIGNALED) status_ = Status::Completed;
    }
    return status_;
}

}  // namespace gpu

#include "platform/gpu/BlitCommandEncoder.h"

#include <GLES3/gl3.h>

#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/Texture.h"

namespace gpu {

namespace {

bool fits(Origin origin, Extent size, const Texture& texture) {
    return origin.x <= texture.width() && size.width <= texture.width() - origin.x &&
           origin.y <= texture.height() && size.height <= texture.height() - origin.y;
}

bool overlaps(Origin a, Origin b, Extent size) {
    return a.x < b.x + size.width && b.x < a.x + size.width && a.y < b.y + size.height &&
           b.y < a.y + size.height;
}

}  // namespace

BlitCommandEncoder::BlitCommandEncoder(std::shared_ptr<CommandBuffer> buffer)
    : buffer_(std::move(buffer)) {}

BlitCommandEncoder::~BlitCommandEncoder() {
    if (!ended_) {
        buffer_->fail("a blit command encoder was released without endEncoding");
        buffer_->closeEncoder();
    }
}

void BlitCommandEncoder::copyFromTexture(std::shared_ptr<Texture> source, Origin sourceOrigin,
                                         Extent size, std::shared_ptr<Texture> destination,
                                         Origin destinationOrigin) {
    if (ended_) return buffer_->fail("copyFromTexture after endEncoding");
    if (!source || !destination) return buffer_->fail("copyFromTexture needs two textures");
    if (source->device() != buffer_->device() || destination->device() != buffer_->device()) {
        return buffer_->fail("copyFromTexture with a texture of another device");
    }
    if (source->pixelFormat() != destination->pixelFormat()) {
        return buffer_->fail("copyFromTexture between different pixel formats");
    }
    if (!fits(sourceOrigin, size, *source) || !fits(destinationOrigin, size, *destination)) {
        return buffer_->fail("copyFromTexture region leaves a texture");
    }
    if (source == destination && overlaps(sourceOrigin, destinationOrigin, size)) {
        return buffer_->fail("copyFromTexture within one texture must not overlap");
    }
    if (size.width == 0 || size.height == 0) return;

    buffer_->record([source, sourceOrigin, size, destination, destinationOrigin] {
        const GLint sx = static_cast<GLint>(sourceOrigin.x);
        const GLint sy = static_cast<GLint>(sourceOrigin.y);
        const GLint dx = static_cast<GLint>(destinationOrigin.x);
        const GLint dy = static_cast<GLint>(destinationOrigin.y);
        const GLint w = static_cast<GLint>(size.width);
        const GLint h = static_cast<GLint>(size.height);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, source->glFramebufferName());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, destination->glFramebufferName());
        glDisable(GL_SCISSOR_TEST);
        glBlitFramebuffer(sx, sy, sx + w, sy + h, dx, dy, dx + w, dy + h, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    });
}

void BlitCommandEncoder::copyFromTexture(std::shared_ptr<Texture> source,
                                         std::shared_ptr<Texture> destination) {
    if (source && destination &&
        (source->width() != destination->width() || source->height() != destination->height())) {
        return buffer_->fail("a whole-texture copy needs textures of equal size");
    }
    const Extent size = source ? Extent{source->width(), source->height()} : Extent{};
    copyFromTexture(std::move(source), {0, 0}, size, std::move(destination), {0, 0});
}

void BlitCommandEncoder::endEncoding() {
    if (ended_) return;
    ended_ = true;
    buffer_->closeEncoder();
}

}  // namespace gpu

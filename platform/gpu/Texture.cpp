#include "platform/gpu/Texture.h"

#include <GLES3/gl3.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/gpu/Device.h"
#include "platform/gpu/detail/GlContext.h"
#include "platform/gpu/detail/GlEnums.h"

namespace gpu {

namespace {

// Swaps the red and blue bytes of `count` pixels in place (BGRA <-> RGBA).
void swapRedBlue(std::uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) std::swap(pixels[i * 4], pixels[i * 4 + 2]);
}

}  // namespace

Texture::Texture(std::shared_ptr<Device> device, const TextureDescriptor& descriptor,
                 unsigned texture)
    : device_(std::move(device)),
      width_(descriptor.width),
      height_(descriptor.height),
      format_(descriptor.pixelFormat),
      usage_(descriptor.usage),
      texture_(texture) {}

Texture::~Texture() {
    device_->makeCurrent();
    if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(1, &texture_);
}

unsigned Texture::glFramebufferName() const {
    if (framebuffer_ == 0) {
        // Callers may be in the middle of binding a read and a draw framebuffer, so the
        // bindings are left as they were.
        device_->makeCurrent();
        GLint previous = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_,
                               0);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previous));
    }
    return framebuffer_;
}

bool Texture::regionIsValid(const Region& region, const void* bytes,
                            std::size_t bytesPerRow) const {
    const std::size_t pixelBytes = bytesPerPixel(format_);
    return bytes != nullptr && region.size.width > 0 && region.size.height > 0 &&
           region.origin.x <= width_ && region.size.width <= width_ - region.origin.x &&
           region.origin.y <= height_ && region.size.height <= height_ - region.origin.y &&
           bytesPerRow % pixelBytes == 0 && bytesPerRow >= region.size.width * pixelBytes;
}

bool Texture::replaceRegion(const Region& region, const void* bytes, std::size_t bytesPerRow) {
    if (!regionIsValid(region, bytes, bytesPerRow)) return false;
    device_->makeCurrent();
    const detail::GlContext& gl = device_->gl();
    const std::size_t width = region.size.width;
    const std::size_t height = region.size.height;

    // Without native BGRA storage the texture holds RGBA; swizzle a packed copy on the way in.
    std::vector<std::uint8_t> swizzled;
    const void* source = bytes;
    std::size_t rowPixels = bytesPerRow / 4;
    if (!gl.bgraTextures()) {
        swizzled.resize(width * height * 4);
        for (std::size_t row = 0; row < height; ++row) {
            std::memcpy(swizzled.data() + row * width * 4,
                        static_cast<const std::uint8_t*>(bytes) + row * bytesPerRow, width * 4);
        }
        swapRedBlue(swizzled.data(), width * height);
        source = swizzled.data();
        rowPixels = width;
    }

    detail::drainGlErrors();
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowPixels));
    glTexSubImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(region.origin.x),
                    static_cast<GLint>(region.origin.y), static_cast<GLsizei>(width),
                    static_cast<GLsizei>(height), gl.bgraTextures() ? detail::kGlBgraExt : GL_RGBA,
                    GL_UNSIGNED_BYTE, source);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return detail::takeGlError().empty();
}

bool Texture::getBytes(void* bytes, std::size_t bytesPerRow, const Region& region) const {
    if (!regionIsValid(region, bytes, bytesPerRow)) return false;
    device_->makeCurrent();
    const detail::GlContext& gl = device_->gl();
    const bool nativeRead = gl.bgraReadback();

    detail::drainGlErrors();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, glFramebufferName());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(bytesPerRow / 4));
    glReadPixels(static_cast<GLint>(region.origin.x), static_cast<GLint>(region.origin.y),
                 static_cast<GLsizei>(region.size.width), static_cast<GLsizei>(region.size.height),
                 nativeRead ? detail::kGlBgraExt : GL_RGBA, GL_UNSIGNED_BYTE, bytes);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (!nativeRead) {
        for (std::size_t row = 0; row < region.size.height; ++row) {
            swapRedBlue(static_cast<std::uint8_t*>(bytes) + row * bytesPerRow, region.size.width);
        }
    }
    return detail::takeGlError().empty();
}

}  // namespace gpu

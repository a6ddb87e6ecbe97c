#include "platform/gpu/Device.h"

#include <GLES3/gl3.h>

#include <mutex>

#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/gpu/SamplerState.h"
#include "platform/gpu/Texture.h"
#include "platform/gpu/detail/GlContext.h"
#include "platform/gpu/detail/GlEnums.h"

namespace gpu {

namespace {

GLint glFilter(SamplerFilter filter) {
    return filter == SamplerFilter::Linear ? GL_LINEAR : GL_NEAREST;
}

GLint glAddressMode(SamplerAddressMode mode) {
    switch (mode) {
        case SamplerAddressMode::ClampToEdge:
            return GL_CLAMP_TO_EDGE;
        case SamplerAddressMode::Repeat:
            return GL_REPEAT;
        case SamplerAddressMode::MirrorRepeat:
            return GL_MIRRORED_REPEAT;
    }
    return GL_CLAMP_TO_EDGE;
}

}  // namespace

Device::Device(std::unique_ptr<detail::GlContext> gl) : gl_(std::move(gl)) {}

// Objects made by the device hold it strongly, so by now none of them is left; the context
// goes with it.
Device::~Device() = default;

std::shared_ptr<Device> Device::create(std::string* reason) {
    auto gl = detail::GlContext::create(reason);
    if (!gl) return nullptr;
    return std::shared_ptr<Device>(new Device(std::move(gl)));
}

std::shared_ptr<Device> Device::systemDefault(std::string* reason) {
    // Never destroyed: the process-wide context must outlive every static that might still hold
    // a GPU object, and EGL tears itself down at exit on its own.
    struct Slot {
        std::mutex mutex;
        bool attempted = false;
        std::shared_ptr<Device> device;
        std::string failure;
    };
    static Slot* slot = new Slot();
    std::lock_guard<std::mutex> lock(slot->mutex);
    if (!slot->attempted) {
        slot->attempted = true;
        slot->device = create(&slot->failure);
    }
    if (!slot->device && reason != nullptr) *reason = slot->failure;
    return slot->device;
}

const std::string& Device::name() const {
    return gl_->renderer();
}

bool Device::isSoftware() const {
    return gl_->software();
}

std::size_t Device::maxTextureSize() const {
    return static_cast<std::size_t>(gl_->maxTextureSize());
}

void Device::makeCurrent() const {
    gl_->makeCurrent();
}

std::shared_ptr<Texture> Device::newTexture(const TextureDescriptor& descriptor) {
    const std::size_t limit = maxTextureSize();
    if (descriptor.width == 0 || descriptor.height == 0 || descriptor.width > limit ||
        descriptor.height > limit) {
        return nullptr;
    }
    makeCurrent();
    detail::drainGlErrors();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    const GLenum format = gl_->bgraTextures() ? detail::kGlBgraExt : GL_RGBA;
    const GLint internalFormat = gl_->bgraTextures() ? detail::kGlBgraExt : GL_RGBA8;
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, static_cast<GLsizei>(descriptor.width),
                 static_cast<GLsizei>(descriptor.height), 0, format, GL_UNSIGNED_BYTE, nullptr);
    if (!detail::takeGlError().empty()) {
        glDeleteTextures(1, &name);
        return nullptr;
    }
    return std::shared_ptr<Texture>(new Texture(shared_from_this(), descriptor, name));
}

std::shared_ptr<SamplerState> Device::newSamplerState(const SamplerDescriptor& descriptor) {
    makeCurrent();
    GLuint name = 0;
    glGenSamplers(1, &name);
    glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, glFilter(descriptor.minFilter));
    glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, glFilter(descriptor.magFilter));
    glSamplerParameteri(name, GL_TEXTURE_WRAP_S, glAddressMode(descriptor.sAddressMode));
    glSamplerParameteri(name, GL_TEXTURE_WRAP_T, glAddressMode(descriptor.tAddressMode));
    return std::shared_ptr<SamplerState>(new SamplerState(shared_from_this(), descriptor, name));
}

std::shared_ptr<CommandQueue> Device::newCommandQueue() {
    return std::shared_ptr<CommandQueue>(new CommandQueue(shared_from_this()));
}

std::shared_ptr<Library> Device::newLibrary(std::string_view source, std::string* error) {
    return Library::compile(shared_from_this(), source, error);
}

std::shared_ptr<RenderPipelineState> Device::newRenderPipelineState(
    const RenderPipelineDescriptor& descriptor, std::string* error) {
    return RenderPipelineState::build(shared_from_this(), descriptor, error);
}

}  // namespace gpu

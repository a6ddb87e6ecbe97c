#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/gpu/Types.h"

namespace gpu {

namespace detail {
class GlContext;
}

class CommandQueue;
class Library;
class RenderPipelineState;
class SamplerState;
class Texture;
struct RenderPipelineDescriptor;
struct SamplerDescriptor;
struct TextureDescriptor;

// A GPU: one OpenGL ES 3 context on EGL and the factory of every GPU object.
//
// Threading: a device and everything made from it are used from the thread that created the
// device (the main thread, in the system). GL calls are issued on that thread with the device's
// context current; other threads never touch GL. Objects keep their device alive.
class Device : public std::enable_shared_from_this<Device> {
  public:
    // A new device on a real GPU's EGL device when one is present, else on Mesa's surfaceless
    // platform (llvmpipe on machines without a GPU; no display server needed). nullptr when
    // neither yields an OpenGL ES 3 context; *reason (when given) then says why.
    static std::shared_ptr<Device> create(std::string* reason = nullptr);

    // The process-wide device, created by the first call and kept for the life of the process.
    // nullptr when that creation failed; the failure is final and *reason repeats it.
    static std::shared_ptr<Device> systemDefault(std::string* reason = nullptr);

    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // The GL renderer string ("llvmpipe (LLVM 15.0.6, 256 bits)").
    const std::string& name() const;
    // True on a software rasteriser.
    bool isSoftware() const;
    std::size_t maxTextureSize() const;

    // nullptr when a dimension is 0 or above maxTextureSize(), or GL cannot allocate it. The
    // contents of a new texture are undefined until written.
    std::shared_ptr<Texture> newTexture(const TextureDescriptor& descriptor);

    std::shared_ptr<SamplerState> newSamplerState(const SamplerDescriptor& descriptor);

    std::shared_ptr<CommandQueue> newCommandQueue();

    // Compiles program text (see Library.h for its format). nullptr when the text is malformed or
    // a stage fails to compile; *error (when given) then holds the reason, for a compile failure
    // the driver's own message.
    std::shared_ptr<Library> newLibrary(std::string_view source, std::string* error = nullptr);

    // Links a pipeline. nullptr when a function is missing or of the wrong stage, or linking or
    // binding resolution fails; *error (when given) then holds the reason, for a link failure the
    // driver's own message.
    std::shared_ptr<RenderPipelineState> newRenderPipelineState(
        const RenderPipelineDescriptor& descriptor, std::string* error = nullptr);

    // Binds this device's context to the calling thread. Every GL call of the module goes
    // through it first.
    void makeCurrent() const;

    detail::GlContext& gl() const { return *gl_; }

  private:
    explicit Device(std::unique_ptr<detail::GlContext> gl);

    std::unique_ptr<detail::GlContext> gl_;
};

}  // namespace gpu

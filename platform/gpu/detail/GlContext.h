#pragma once

#include <array>
#include <memory>
#include <string>
#include <thread>

#include "platform/gpu/Types.h"

namespace gpu::detail {

// One OpenGL ES 3 context on EGL and the few GL objects the module shares across draws.
//
// The context belongs to the thread that created it: every GL call of the module happens on that
// thread, after makeCurrent(). The system drives the GPU from the main thread only, so this costs
// nothing; a call from another thread is a programming error and is asserted.
class GlContext {
  public:
    // nullptr when neither a hardware EGL device nor Mesa's surfaceless platform gives an
    // OpenGL ES 3 context; *reason then says what each attempt ran into.
    static std::unique_ptr<GlContext> create(std::string* reason);

    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    void makeCurrent() const;

    const std::string& renderer() const { return renderer_; }
    const std::string& platform() const { return platform_; }
    bool software() const { return software_; }
    int maxTextureSize() const { return maxTextureSize_; }

    // Whether textures can be stored as BGRA and read back as BGRA without a CPU swizzle.
    bool bgraTextures() const { return bgraTextures_; }
    bool bgraReadback() const { return bgraReadback_; }

    // A vertex array with no attributes: draws take their input from the vertex index alone.
    unsigned emptyVertexArray() const { return emptyVertexArray_; }

    // The uniform buffer that carries inline bytes for fragment buffer slot `index`.
    unsigned inlineBytesBuffer(std::size_t index);

  private:
    GlContext() = default;
    bool finishSetup(std::string* reason);

    void* display_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    std::thread::id thread_;
    std::string renderer_;
    std::string platform_;
    bool software_ = false;
    bool bgraTextures_ = false;
    bool bgraReadback_ = false;
    int maxTextureSize_ = 0;
    unsigned emptyVertexArray_ = 0;
    std::array<unsigned, kMaxFragmentBuffers> inlineBuffers_{};
};

// Clears GL's sticky error flags so that the next check sees only fresh errors.
void drainGlErrors();

// The first pending GL error as text ("GL_INVALID_OPERATION"), or empty when there is none.
std::string takeGlError();

}  // namespace gpu::detail

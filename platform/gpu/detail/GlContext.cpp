#include "platform/gpu/detail/GlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES3/gl3.h>

#include <cassert>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace gpu::detail {

namespace {

bool hasExtension(const char* list, std::string_view name) {
    if (list == nullptr) return false;
    std::string_view all(list);
    std::size_t pos = 0;
    while ((pos = all.find(name, pos)) != std::string_view::npos) {
        bool startOk = pos == 0 || all[pos - 1] == ' ';
        std::size_t end = pos + name.size();
        bool endOk = end == all.size() || all[end] == ' ';
        if (startOk && endOk) return true;
        pos = end;
    }
    return false;
}

std::string eglErrorText() {
    EGLint code = eglGetError();
    switch (code) {
        case EGL_SUCCESS:
            return "EGL_SUCCESS";
        case EGL_NOT_INITIALIZED:
            return "EGL_NOT_INITIALIZED";
        case EGL_BAD_ACCESS:
            return "EGL_BAD_ACCESS";
        case EGL_BAD_ALLOC:
            return "EGL_BAD_ALLOC";
        case EGL_BAD_ATTRIBUTE:
            return "EGL_BAD_ATTRIBUTE";
        case EGL_BAD_CONFIG:
            return "EGL_BAD_CONFIG";
        case EGL_BAD_CONTEXT:
            return "EGL_BAD_CONTEXT";
        case EGL_BAD_DISPLAY:
            return "EGL_BAD_DISPLAY";
        case EGL_BAD_MATCH:
            return "EGL_BAD_MATCH";
        case EGL_BAD_PARAMETER:
            return "EGL_BAD_PARAMETER";
        case EGL_BAD_SURFACE:
            return "EGL_BAD_SURFACE";
        default:
            break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "EGL error 0x%04x", static_cast<unsigned>(code));
    return text;
}

// Candidate: one EGL display to try, with a name for the failure report.
struct Candidate {
    EGLDisplay display;
    std::string label;
};

// Opens an ES 3 context on `display`. Returns false with the reason appended to `why`; the display
// itself is never terminated, because EGL hands every caller the same display object and other
// devices of this process may be using it.
bool openContext(EGLDisplay display, const std::string& label, EGLContext* outContext,
                 EGLSurface* outSurface, std::string* why) {
    auto fail = [&](const std::string& what) {
        *why += label + ": " + what + "; ";
        return false;
    };
    if (display == EGL_NO_DISPLAY) return fail("no display");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) return fail("eglInitialize " + eglErrorText());
    if (!eglBindAPI(EGL_OPENGL_ES_API)) return fail("eglBindAPI " + eglErrorText());

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_ES3_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        return fail("no pbuffer-capable OpenGL ES 3 config");
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) return fail("eglCreateContext " + eglErrorText());

    // Rendering always goes to textures, so no surface is needed where EGL allows that; elsewhere
    // a 1x1 pbuffer keeps eglMakeCurrent happy.
    EGLSurface surface = EGL_NO_SURFACE;
    if (!hasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context")) {
        const EGLint pbufferAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        surface = eglCreatePbufferSurface(display, config, pbufferAttributes);
        if (surface == EGL_NO_SURFACE) {
            std::string error = eglErrorText();
            eglDestroyContext(display, context);
            return fail("eglCreatePbufferSurface " + error);
        }
    }
    if (!eglMakeCurrent(display, surface, surface, context)) {
        std::string error = eglErrorText();
        if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
        eglDestroyContext(display, context);
        return fail("eglMakeCurrent " + error);
    }
    *outContext = context;
    *outSurface = surface;
    return true;
}

std::vector<Candidate> candidateDisplays(std::string* why) {
    std::vector<Candidate> result;
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr || !hasExtension(clientExtensions, "EGL_EXT_platform_base")) {
        *why += "EGL has no platform displays (EGL_EXT_platform_base missing); ";
        return result;
    }

    // Pass 1: a real GPU exposed as an EGL device. Mesa lists its software rasteriser as a device
    // too; that one is reached through the surfaceless platform below instead.
    auto queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryDeviceString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(
        eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (queryDevices != nullptr && queryDeviceString != nullptr &&
        hasExtension(clientExtensions, "EGL_EXT_platform_device")) {
        EGLDeviceEXT devices[16];
        EGLint deviceCount = 0;
        if (queryDevices(16, devices, &deviceCount)) {
            for (EGLint i = 0; i < deviceCount; ++i) {
                const char* deviceExtensions = queryDeviceString(devices[i], EGL_EXTENSIONS);
                if (hasExtension(deviceExtensions, "EGL_MESA_device_software")) continue;
                result.push_back({getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr),
                                  "EGL device " + std::to_string(i)});
            }
        }
    }
    if (result.empty()) *why += "no hardware EGL device; ";

    // Pass 2: Mesa's surfaceless platform, which needs no display server and falls back to
    // llvmpipe on machines without a GPU.
    if (hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        result.push_back(
            {getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr),
             "surfaceless platform"});
    } else {
        *why += "EGL_MESA_platform_surfaceless missing; ";
    }
    return result;
}

const char* glText(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

std::unique_ptr<GlContext> GlContext::create(std::string* reason) {
    std::string why;
    std::unique_ptr<GlContext> result;
    for (const Candidate& candidate : candidateDisplays(&why)) {
        EGLContext context = EGL_NO_CONTEXT;
        EGLSurface surface = EGL_NO_SURFACE;
        if (!openContext(candidate.display, candidate.label, &context, &surface, &why)) continue;
        std::unique_ptr<GlContext> gl(new GlContext());
        gl->display_ = candidate.display;
        gl->context_ = context;
        gl->surface_ = surface;
        gl->thread_ = std::this_thread::get_id();
        gl->platform_ = candidate.label;
        std::string setupError;
        if (gl->finishSetup(&setupError)) {
            result = std::move(gl);
            break;
        }
        why += candidate.label + ": " + setupError + "; ";
    }
    if (!result && reason != nullptr) {
        if (why.size() >= 2) why.resize(why.size() - 2);
        *reason = "no OpenGL ES 3 device: " + why;
    }
    return result;
}

bool GlContext::finishSetup(std::string* reason) {
    const char* version = glText(GL_VERSION);
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    if (major < 3) {
        *reason = std::string("context is not OpenGL ES 3 (") + version + ")";
        return false;
    }
    renderer_ = glText(GL_RENDERER);
    software_ = renderer_.find("llvmpipe") != std::string::npos ||
                renderer_.find("softpipe") != std::string::npos;

    GLint extensionCount = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &extensionCount);
    for (GLint i = 0; i < extensionCount; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i));
        if (name == nullptr) continue;
        if (std::strcmp(name, "GL_EXT_texture_format_BGRA8888") == 0) bgraTextures_ = true;
        if (std::strcmp(name, "GL_EXT_read_format_bgra") == 0) bgraReadback_ = true;
    }
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
    glGenVertexArrays(1, &emptyVertexArray_);
    drainGlErrors();
    return true;
}

GlContext::~GlContext() {
    EGLDisplay display = display_;
    if (eglGetCurrentContext() == context_ ||
        eglMakeCurrent(display, static_cast<EGLSurface>(surface_),
                       static_cast<EGLSurface>(surface_), static_cast<EGLContext>(context_))) {
        if (emptyVertexArray_ != 0) glDeleteVertexArrays(1, &emptyVertexArray_);
        for (unsigned& buffer : inlineBuffers_) {
            if (buffer != 0) glDeleteBuffers(1, &buffer);
        }
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display, static_cast<EGLSurface>(surface_));
    eglDestroyContext(display, static_cast<EGLContext>(context_));
}

void GlContext::makeCurrent() const {
    assert(std::this_thread::get_id() == thread_ &&
           "a GPU device is used only from the thread that created it");
    if (eglGetCurrentContext() == context_) return;
    eglMakeCurrent(display_, static_cast<EGLSurface>(surface_), static_cast<EGLSurface>(surface_),
                   static_cast<EGLContext>(context_));
}

unsigned GlContext::inlineBytesBuffer(std::size_t index) {
    assert(index < inlineBuffers_.size());
    unsigned& buffer = inlineBuffers_[index];
    if (buffer == 0) glGenBuffers(1, &buffer);
    return buffer;
}

void drainGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

std::string takeGlError() {
    GLenum error = glGetError();
    switch (error) {
        case GL_NO_ERROR:
            return {};
        case GL_INVALID_ENUM:
            return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE:
            return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION:
            return "GL_INVALID_OPERATION";
        case GL_INVALID_FRAMEBUFFER_OPERATION:
            return "GL_INVALID_FRAMEBUFFER_OPERATION";
        case GL_OUT_OF_MEMORY:
            return "GL_OUT_OF_MEMORY";
        default:
            break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "GL error 0x%04x", static_cast<unsigned>(error));
    return text;
}

}  // namespace gpu::detail

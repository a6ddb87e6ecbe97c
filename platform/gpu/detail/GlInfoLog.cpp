#include "platform/gpu/detail/GlInfoLog.h"

#include <cstddef>

namespace gpu::detail {

namespace {

// Shaders and programs report their logs through the same pair of calls, differing only in name.
template <class GetLength, class GetLog>
std::string readLog(GLuint object, GetLength getLength, GetLog getLog) {
    GLint length = 0;
    getLength(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) getLog(object, length, nullptr, log.data());
    while (!log.empty() && (log.back() == '\0' || log.back() == '\n')) log.pop_back();
    return log.empty() ? "unknown" : log;
}

}  // namespace

std::string shaderInfoLog(GLuint shader) {
    return readLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string programInfoLog(GLuint program) {
    return readLog(program, glGetProgramiv, glGetProgramInfoLog);
}

}  // namespace gpu::detail

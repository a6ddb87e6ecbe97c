#pragma once

#include <GLES3/gl3.h>

#include <string>

namespace gpu::detail {

// The driver's message for a shader that failed to compile or a program that failed to link,
// without trailing line breaks; "unknown" when the driver says nothing.
std::string shaderInfoLog(GLuint shader);
std::string programInfoLog(GLuint program);

}  // namespace gpu::detail

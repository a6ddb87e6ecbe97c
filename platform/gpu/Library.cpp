#include "platform/gpu/Library.h"

#include <GLES3/gl3.h>

#include "platform/gpu/Device.h"
#include "platform/gpu/detail/GlInfoLog.h"
#include "platform/gpu/detail/ProgramText.h"

namespace gpu {

Function::Function(std::shared_ptr<Device> device, detail::StageEntry entry, unsigned shader)
    : device_(std::move(device)),
      name_(std::move(entry.name)),
      stage_(entry.stage),
      bindings_(std::move(entry.bindings)),
      shader_(shader) {}

Function::~Function() {
    device_->makeCurrent();
    glDeleteShader(shader_);
}

std::shared_ptr<Library> Library::compile(std::shared_ptr<Device> device, std::string_view text,
                                          std::string* error) {
    auto entries = detail::parseProgramText(text, error);
    if (!entries) return nullptr;

    device->makeCurrent();
    auto library = std::shared_ptr<Library>(new Library());
    for (detail::StageEntry& entry : *entries) {
        GLuint shader = glCreateShader(entry.stage == ShaderStage::Vertex ? GL_VERTEX_SHADER
                                                                          : GL_FRAGMENT_SHADER);
        const char* source = entry.glsl.c_str();
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        GLint compiled = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        if (compiled != GL_TRUE) {
            if (error != nullptr) {
                *error = std::string(entry.stage == ShaderStage::Vertex ? "vertex" : "fragment") +
                         " stage '" + entry.name +
                         "' failed to compile: " + detail::shaderInfoLog(shader);
            }
            glDeleteShader(shader);
            return nullptr;
        }
        library->functions_.push_back(
            std::shared_ptr<Function>(new Function(device, std::move(entry), shader)));
    }
    return library;
}

std::shared_ptr<Function> Library::newFunction(std::string_view name, std::string* error) const {
    for (const auto& function : functions_) {
        if (function->name() == name) return function;
    }
    if (error != nullptr) {
        std::string known;
        for (const std::string& n : functionNames()) known += (known.empty() ? "" : ", ") + n;
        *error = "no function named '" + std::string(name) + "' (the program has: " + known + ")";
    }
    return nullptr;
}

std::vector<std::string> Library::functionNames() const {
    std::vector<std::string> names;
    for (const auto& function : functions_) names.push_back(function->name());
    return names;
}

}  // namespace gpu

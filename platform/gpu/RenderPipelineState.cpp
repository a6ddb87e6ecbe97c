#include "platform/gpu/RenderPipelineState.h"

#include <GLES3/gl3.h>

#include "platform/gpu/Device.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/detail/GlInfoLog.h"

namespace gpu {

namespace {

RenderPipelineState::BufferLayout reflectBlock(GLuint program, GLuint block,
                                               const std::string& name) {
    RenderPipelineState::BufferLayout layout;
    layout.blockName = name;
    GLint size = 0, count = 0;
    glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
    glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_ACTIVE_UNIFORMS, &count);
    layout.dataSize = static_cast<std::size_t>(size);
    if (count <= 0) return layout;

    std::vector<GLint> indices(static_cast<std::size_t>(count));
    glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_ACTIVE_UNIFORM_INDICES,
                              indices.data());
    std::vector<GLuint> uniforms(indices.begin(), indices.end());
    std::vector<GLint> offsets(uniforms.size());
    glGetActiveUniformsiv(program, count, uniforms.data(), GL_UNIFORM_OFFSET, offsets.data());
    for (std::size_t i = 0; i < uniforms.size(); ++i) {
        char buffer[256];
        GLsizei length = 0;
        GLint arraySize = 0;
        GLenum type = 0;
        glGetActiveUniform(program, uniforms[i], sizeof buffer, &length, &arraySize, &type, buffer);
        std::string member(buffer, static_cast<std::size_t>(length));
        // Members of a block are reported as "Block.member".
        if (auto dot = member.rfind('.'); dot != std::string::npos) member.erase(0, dot + 1);
        layout.memberOffsets[member] = static_cast<std::size_t>(offsets[i]);
    }
    return layout;
}

}  // namespace

RenderPipelineState::RenderPipelineState(std::shared_ptr<Device> device)
    : device_(std::move(device)) {}

RenderPipelineState::~RenderPipelineState() {
    device_->makeCurrent();
    if (program_ != 0) glDeleteProgram(program_);
}

std::shared_ptr<RenderPipelineState> RenderPipelineState::build(
    std::shared_ptr<Device> device, const RenderPipelineDescriptor& descriptor,
    std::string* error) {
    auto fail = [&](const std::string& what) -> std::shared_ptr<RenderPipelineState> {
        if (error != nullptr) *error = what;
        return nullptr;
    };
    const auto& vertex = descriptor.vertexFunction;
    const auto& fragment = descriptor.fragmentFunction;
    if (!vertex) return fail("the pipeline has no vertex function");
    if (!fragment) return fail("the pipeline has no fragment function");
    if (vertex->stage() != ShaderStage::Vertex) {
        return fail("'" + vertex->name() + "' is not a vertex function");
    }
    if (fragment->stage() != ShaderStage::Fragment) {
        return fail("'" + fragment->name() + "' is not a fragment function");
    }
    if (vertex->device() != device || fragment->device() != device) {
        return fail("the functions belong to another device");
    }

    device->makeCurrent();
    auto pipeline = std::shared_ptr<RenderPipelineState>(new RenderPipelineState(device));
    pipeline->color_ = descriptor.colorAttachment;
    GLuint program = glCreateProgram();
    pipeline->program_ = program;
    glAttachShader(program, vertex->glShaderName());
    glAttachShader(program, fragment->glShaderName());
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        return fail("'" + vertex->name() + "' and '" + fragment->name() +
                    "' failed to link: " + detail::programInfoLog(program));
    }
    glDetachShader(program, vertex->glShaderName());
    glDetachShader(program, fragment->glShaderName());

    // Wire each declared slot to its GL binding point once, so that draws only bind objects.
    glUseProgram(program);
    for (const FunctionBinding& binding : fragment->bindings()) {
        if (binding.kind == FunctionBinding::Kind::Texture) {
            GLint location = glGetUniformLocation(program, binding.name.c_str());
            if (location >= 0) glUniform1i(location, static_cast<GLint>(binding.index));
            pipeline->textures_.push_back(binding);
        } else {
            GLuint block = glGetUniformBlockIndex(program, binding.name.c_str());
            if (block == GL_INVALID_INDEX) continue;
            glUniformBlockBinding(program, block, static_cast<GLuint>(binding.index));
            pipeline->bufferLayouts_[binding.index] = reflectBlock(program, block, binding.name);
            pipeline->buffers_.push_back(binding);
        }
    }
    glUseProgram(0);
    return pipeline;
}

std::optional<RenderPipelineState::BufferLayout> RenderPipelineState::fragmentBufferLayout(
    std::size_t index) const {
    auto it = bufferLayouts_.find(index);
    if (it == bufferLayouts_.end()) return std::nullopt;
    return it->second;
}

}  // namespace gpu

#include "platform/gpu/RenderCommandEncoder.h"

#include <GLES3/gl3.h>

#include <string>

#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/gpu/SamplerState.h"
#include "platform/gpu/Texture.h"
#include "platform/gpu/detail/GlContext.h"

namespace gpu {

namespace {

GLenum glBlendFactor(BlendFactor factor) {
    switch (factor) {
        case BlendFactor::Zero:
            return GL_ZERO;
        case BlendFactor::One:
            return GL_ONE;
        case BlendFactor::SourceColor:
            return GL_SRC_COLOR;
        case BlendFactor::OneMinusSourceColor:
            return GL_ONE_MINUS_SRC_COLOR;
        case BlendFactor::SourceAlpha:
            return GL_SRC_ALPHA;
        case BlendFactor::OneMinusSourceAlpha:
            return GL_ONE_MINUS_SRC_ALPHA;
        case BlendFactor::DestinationColor:
            return GL_DST_COLOR;
        case BlendFactor::OneMinusDestinationColor:
            return GL_ONE_MINUS_DST_COLOR;
        case BlendFactor::DestinationAlpha:
            return GL_DST_ALPHA;
        case BlendFactor::OneMinusDestinationAlpha:
            return GL_ONE_MINUS_DST_ALPHA;
    }
    return GL_ONE;
}

GLenum glBlendOperation(BlendOperation operation) {
    switch (operation) {
        case BlendOperation::Add:
            return GL_FUNC_ADD;
        case BlendOperation::Subtract:
            return GL_FUNC_SUBTRACT;
        case BlendOperation::ReverseSubtract:
            return GL_FUNC_REVERSE_SUBTRACT;
        case BlendOperation::Min:
            return GL_MIN;
        case BlendOperation::Max:
            return GL_MAX;
    }
    return GL_FUNC_ADD;
}

// Everything one draw needs, captured when it was recorded.
struct Draw {
    std::shared_ptr<RenderPipelineState> pipeline;
    std::array<std::shared_ptr<Texture>, kMaxFragmentTextures> textures;
    std::array<std::shared_ptr<SamplerState>, kMaxFragmentTextures> samplers;  // by texture slot
    std::array<std::shared_ptr<const std::vector<std::uint8_t>>, kMaxFragmentBuffers> bytes;
    GLenum mode = GL_TRIANGLES;
    GLint first = 0;
    GLsizei count = 0;
};

void execute(const Draw& draw, detail::GlContext& gl) {
    const RenderPipelineState& pipeline = *draw.pipeline;
    glUseProgram(pipeline.glProgramName());
    const auto& color = pipeline.colorAttachment();
    if (color.blendingEnabled) {
        glEnable(GL_BLEND);
        glBlendFuncSeparate(glBlendFactor(color.sourceRGBBlendFactor),
                            glBlendFactor(color.destinationRGBBlendFactor),
                            glBlendFactor(color.sourceAlphaBlendFactor),
                            glBlendFactor(color.destinationAlphaBlendFactor));
        glBlendEquationSeparate(glBlendOperation(color.rgbBlendOperation),
                                glBlendOperation(color.alphaBlendOperation));
    } else {
        glDisable(GL_BLEND);
    }
    for (const FunctionBinding& binding : pipeline.fragmentTextures()) {
        const GLuint unit = static_cast<GLuint>(binding.index);
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, draw.textures[binding.index]->glTextureName());
        const auto& sampler = draw.samplers[binding.index];
        glBindSampler(unit, sampler ? sampler->glSamplerName() : 0);
    }
    for (const FunctionBinding& binding : pipeline.fragmentBuffers()) {
        const auto& bytes = *draw.bytes[binding.index];
        const GLuint buffer = gl.inlineBytesBuffer(binding.index);
        glBindBuffer(GL_UNIFORM_BUFFER, buffer);
        glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(bytes.size()), bytes.data(),
                     GL_STREAM_DRAW);
        glBindBufferBase(GL_UNIFORM_BUFFER, static_cast<GLuint>(binding.index), buffer);
    }
    glBindVertexArray(gl.emptyVertexArray());
    glDrawArrays(draw.mode, draw.first, draw.count);
}

}  // namespace

RenderCommandEncoder::RenderCommandEncoder(std::shared_ptr<CommandBuffer> buffer,
                                           const RenderPassDescriptor& descriptor)
    : buffer_(std::move(buffer)), target_(descriptor.colorAttachment.texture) {
    const auto attachment = descriptor.colorAttachment;
    buffer_->record([attachment] {
        const Texture& target = *attachment.texture;
        glBindFramebuffer(GL_FRAMEBUFFER, target.glFramebufferName());
        glViewport(0, 0, static_cast<GLsizei>(target.width()),
                   static_cast<GLsizei>(target.height()));
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_STENCIL_TEST);
        glDisable(GL_CULL_FACE);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        if (attachment.loadAction == LoadAction::Clear) {
            const ClearColor& c = attachment.clearColor;
            glClearColor(static_cast<float>(c.red), static_cast<float>(c.green),
                         static_cast<float>(c.blue), static_cast<float>(c.alpha));
            glClear(GL_COLOR_BUFFER_BIT);
        }
    });
}

RenderCommandEncoder::~RenderCommandEncoder() {
    if (!ended_) {
        buffer_->fail("a render command encoder was released without endEncoding");
        buffer_->closeEncoder();
    }
}

bool RenderCommandEncoder::usable(const char* call) {
    if (!ended_) return true;
    buffer_->fail(std::string(call) + " after endEncoding");
    return false;
}

void RenderCommandEncoder::setRenderPipelineState(std::shared_ptr<RenderPipelineState> pipeline) {
    if (!usable("setRenderPipelineState")) return;
    pipeline_ = std::move(pipeline);
}

void RenderCommandEncoder::setFragmentTexture(std::shared_ptr<Texture> texture, std::size_t index) {
    if (!usable("setFragmentTexture")) return;
    if (index >= textures_.size()) {
        buffer_->fail("fragment texture slot " + std::to_string(index) + " does not exist");
        return;
    }
    textures_[index] = std::move(texture);
}

void RenderCommandEncoder::setFragmentSamplerState(std::shared_ptr<SamplerState> sampler,
                                                   std::size_t index) {
    if (!usable("setFragmentSamplerState")) return;
    if (index >= samplers_.size()) {
        buffer_->fail("fragment sampler slot " + std::to_string(index) + " does not exist");
        return;
    }
    samplers_[index] = std::move(sampler);
}

void RenderCommandEncoder::setFragmentBytes(const void* bytes, std::size_t length,
                                            std::size_t index) {
    if (!usable("setFragmentBytes")) return;
    if (index >= bytes_.size() || bytes == nullptr || length == 0 || length > kMaxInlineBytes) {
        buffer_->fail("setFragmentBytes takes 1 to " + std::to_string(kMaxInlineBytes) +
                      " bytes for slots 0 to " + std::to_string(kMaxFragmentBuffers - 1));
        return;
    }
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    bytes_[index] = std::make_shared<const std::vector<std::uint8_t>>(first, first + length);
}

void RenderCommandEncoder::drawPrimitives(PrimitiveType type, std::size_t vertexStart,
                                          std::size_t vertexCount) {
    if (!usable("drawPrimitives")) return;
    if (!pipeline_) {
        buffer_->fail("drawPrimitives without a render pipeline state");
        return;
    }
    if (pipeline_->device() != buffer_->device()) {
        buffer_->fail("the render pipeline state belongs to another device");
        return;
    }
    if (pipeline_->colorAttachment().pixelFormat != target_->pixelFormat()) {
        buffer_->fail("the pipeline's colour format differs from the render target's");
        return;
    }
    if (vertexCount == 0) return;

    Draw draw;
    draw.pipeline = pipeline_;
    for (const FunctionBinding& binding : pipeline_->fragmentTextures()) {
        const std::string slot =
            "fragment texture slot " + std::to_string(binding.index) + " ('" + binding.name + "')";
        const auto& texture = textures_[binding.index];
        if (!texture) return buffer_->fail(slot + " is empty");
        if (texture->device() != buffer_->device()) {
            return buffer_->fail(slot + " holds a texture of another device");
        }
        if (!hasUsage(texture->usage(), TextureUsage::ShaderRead)) {
            return buffer_->fail(slot + " holds a texture without ShaderRead usage");
        }
        if (texture == target_) return buffer_->fail(slot + " holds the render target itself");
        draw.textures[binding.index] = texture;
        if (binding.samplerIndex) {
            const auto& sampler = samplers_[*binding.samplerIndex];
            if (!sampler) {
                return buffer_->fail("fragment sampler slot " +
                                     std::to_string(*binding.samplerIndex) + " is empty");
            }
            draw.samplers[binding.index] = sampler;
        }
    }
    for (const FunctionBinding& binding : pipeline_->fragmentBuffers()) {
        const auto& bytes = bytes_[binding.index];
        const std::size_t needed = pipeline_->fragmentBufferLayout(binding.index)->dataSize;
        const std::string slot =
            "fragment buffer slot " + std::to_string(binding.index) + " ('" + binding.name + "')";
        if (!bytes) return buffer_->fail(slot + " is empty");
        if (bytes->size() < needed) {
            return buffer_->fail(slot + " holds " + std::to_string(bytes->size()) +
                                 " bytes; the block needs " + std::to_string(needed));
        }
        draw.bytes[binding.index] = bytes;
    }
    draw.mode = type == PrimitiveType::Triangle ? GL_TRIANGLES : GL_TRIANGLE_STRIP;
    draw.first = static_cast<GLint>(vertexStart);
    draw.count = static_cast<GLsizei>(vertexCount);
    auto device = buffer_->device();
    buffer_->record([draw = std::move(draw), device] { execute(draw, device->gl()); });
}

void RenderCommandEncoder::endEncoding() {
    if (ended_) return;
    ended_ = true;
    buffer_->closeEncoder();
}

}  // namespace gpu

#include "glass/LGGlassPipeline.h"

#include "platform/gpu/Device.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/Texture.h"

gpu::RenderPipelineColorAttachmentDescriptor LGGlassColorAttachment() {
    gpu::RenderPipelineColorAttachmentDescriptor color;
    color.pixelFormat = gpu::PixelFormat::BGRA8Unorm;
    color.blendingEnabled = true;
    color.sourceRGBBlendFactor = gpu::BlendFactor::SourceAlpha;
    color.destinationRGBBlendFactor = gpu::BlendFactor::OneMinusSourceAlpha;
    color.rgbBlendOperation = gpu::BlendOperation::Add;
    color.sourceAlphaBlendFactor = gpu::BlendFactor::One;
    color.destinationAlphaBlendFactor = gpu::BlendFactor::OneMinusSourceAlpha;
    color.alphaBlendOperation = gpu::BlendOperation::Add;
    return color;
}

LGGlassPipelines LGGlassPipelinesCreate(gpu::Device& device, const gpu::Library& library,
                                        std::string* reason) {
    std::string message;
    auto build = [&](const char* vertex, const char* fragment, bool blending = true) {
        std::shared_ptr<gpu::RenderPipelineState> state;
        if (!message.empty()) return state;  // an earlier pipeline failed: keep its reason
        gpu::RenderPipelineDescriptor descriptor;
        descriptor.vertexFunction = library.newFunction(vertex, &message);
        if (descriptor.vertexFunction) {
            descriptor.fragmentFunction = library.newFunction(fragment, &message);
        }
        descriptor.colorAttachment = LGGlassColorAttachment();
        descriptor.colorAttachment.blendingEnabled = blending;
        if (descriptor.vertexFunction && descriptor.fragmentFunction) {
            state = device.newRenderPipelineState(descriptor, &message);
        }
        return state;
    };
    LGGlassPipelines pipelines;
    pipelines.whole = build("vertexShader", "fragmentShader");
    pipelines.bandRectangle = build("bandVertexShader", "bandRectangleFragmentShader");
    pipelines.bandMask = build("bandVertexShader", "bandMaskFragmentShader");
    pipelines.sideRectangle = build("sideVertexShader", "sideRectangleFragmentShader", false);
    pipelines.faintSideRectangle =
        build("sideVertexShader", "faintSideRectangleFragmentShader", false);
    pipelines.plainRectangle = build("plainVertexShader", "plainRectangleFragmentShader", false);
    pipelines.plainMask = build("plainVertexShader", "plainFragmentShader");
    if (!pipelines) {
        if (reason) *reason = message;
        return {};
    }
    return pipelines;
}

void LGGlassEncodeDraws(gpu::RenderCommandEncoder& encoder, const LGGlassPipelines& pipelines,
                        const gpu::Texture* edgeTiles) {
    // Rectangle glass: four corner squares, four sides in two parts and three plain rectangles.
    // Mask glass: every tile in each draw; the vertex stage collapses the tiles that belong to the
    // other draw, or to neither.
    const std::size_t tiles = edgeTiles ? edgeTiles->width() * edgeTiles->height() : 0;
    encoder.setRenderPipelineState(edgeTiles ? pipelines.bandMask : pipelines.bandRectangle);
    encoder.drawPrimitives(gpu::PrimitiveType::Triangle, 0, edgeTiles ? tiles * 6 : 24);
    if (!edgeTiles) {
        encoder.setRenderPipelineState(pipelines.sideRectangle);
        encoder.drawPrimitives(gpu::PrimitiveType::Triangle, 0, 24);
        encoder.setRenderPipelineState(pipelines.faintSideRectangle);
        encoder.drawPrimitives(gpu::PrimitiveType::Triangle, 24, 24);
    }
    encoder.setRenderPipelineState(edgeTiles ? pipelines.plainMask : pipelines.plainRectangle);
    encoder.drawPrimitives(gpu::PrimitiveType::Triangle, 0, edgeTiles ? tiles * 6 : 18);
}

#include "glass/LGGlassPipeline.h"

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

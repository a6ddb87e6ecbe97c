#include "SurfaceTestSupport.h"

#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/Drawable.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderCommandEncoder.h"

namespace {

constexpr const char* kFlatProgram = R"glsl(
precision highp float;

#pragma stage vertex fullScreen
void fullScreen() {
    vec2 p = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    gl_Position = vec4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, 0.0, 1.0);
}

#pragma stage fragment flatColor
#pragma buffer 0 Params
layout(std140) uniform Params { vec4 color; };
out vec4 fragColor;
void flatColor() { fragColor = color; }
)glsl";

}  // namespace

std::shared_ptr<FlatColorRenderer> FlatColorRenderer::create(std::shared_ptr<gpu::Device> device) {
    if (!device) return nullptr;
    auto library = device->newLibrary(kFlatProgram);
    if (!library) return nullptr;
    gpu::RenderPipelineDescriptor descriptor;
    descriptor.vertexFunction = library->newFunction("fullScreen");
    descriptor.fragmentFunction = library->newFunction("flatColor");
    auto pipeline = device->newRenderPipelineState(descriptor);
    if (!pipeline) return nullptr;
    auto renderer = std::make_shared<FlatColorRenderer>();
    renderer->queue = device->newCommandQueue();
    renderer->device = std::move(device);
    renderer->pipeline = std::move(pipeline);
    return renderer;
}

void FlatColorRenderer::drawableSizeWillChange(ui::GpuSurfaceView& view, base::Size size) {
    sizeChanges.push_back(size);
    sizesSeenAtChange.push_back(view.drawableSize());
}

void FlatColorRenderer::drawInView(ui::GpuSurfaceView& view) {
    ++draws;
    if (duringDraw) duringDraw(view);
    auto drawable = view.currentDrawable();
    auto pass = view.currentRenderPassDescriptor();
    if (!drawable || !pass) return;
    auto buffer = queue->commandBuffer();
    if (presents && presentsBeforeEncoding) buffer->presentDrawable(drawable);
    auto encoder = buffer->renderCommandEncoder(*pass);
    encoder->setRenderPipelineState(pipeline);
    const float rgba[4] = {float(color.red()), float(color.green()), float(color.blue()),
                           float(color.alpha())};
    encoder->setFragmentBytes(rgba, sizeof rgba, 0);
    encoder->drawPrimitives(gpu::PrimitiveType::Triangle, 0, 3);
    encoder->endEncoding();
    if (presents && !presentsBeforeEncoding) buffer->presentDrawable(drawable);
    buffer->commit();
}

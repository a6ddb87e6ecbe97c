#include "platform/gpu/GaussianBlur.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/gpu/SamplerState.h"
#include "platform/gpu/Texture.h"

namespace gpu {

namespace {

constexpr const char* kBlurProgramHead = R"glsl(
precision highp float;
precision highp int;

#pragma stage vertex blurVertex
out vec2 uv;

// One triangle covering the target; uv (0, 0) is the top-left corner.
void blurVertex() {
    vec2 p = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    gl_Position = vec4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, 0.0, 1.0);
    uv = p;
}

#pragma stage fragment blurFragment
#pragma texture 0 source sampler 0
#pragma buffer 0 BlurParams
in vec2 uv;
out vec4 color;
uniform sampler2D source;
layout(std140) uniform BlurParams {
    vec4 texelStep;  // xy: one texel along the pass direction
};
)glsl";

constexpr const char* kBlurProgramTail = R"glsl(
void blurFragment() {
    vec4 sum = texture(source, uv) * kCentre;
    for (int i = 0; i < kPairs; ++i) {
        vec2 offset = texelStep.xy * kTaps[i].x;
        sum += (texture(source, uv + offset) + texture(source, uv - offset)) * kTaps[i].y;
    }
    color = sum;
}
)glsl";

// A GLSL float literal. "%#" keeps the decimal point: GLSL ES does not take "1" for a float.
std::string glslFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%#.9g", static_cast<double>(value));
    return text;
}

// The program is generated per kernel: the taps are constants, so the compiler unrolls the loop
// and folds the weights. Only the pass direction comes in as a constant record.
std::string blurProgram(float centreWeight, const std::vector<float>& pairedTaps) {
    const std::string pairs = std::to_string(pairedTaps.size() / 2);
    std::string text = kBlurProgramHead;
    text += "const int kPairs = " + pairs + ";\n";
    text += "const float kCentre = " + glslFloat(centreWeight) + ";\n";
    // Offset in texels, weight.
    text += "const vec2 kTaps[" + pairs + "] = vec2[" + pairs + "](";
    for (std::size_t i = 0; i < pairedTaps.size(); i += 2) {
        if (i > 0) text += ", ";
        text += "vec2(" + glslFloat(pairedTaps[i]) + ", " + glslFloat(pairedTaps[i + 1]) + ")";
    }
    text += ");\n";
    text += kBlurProgramTail;
    return text;
}

struct BlurParams {
    std::array<float, 4> texelStep;
};

}  // namespace

std::shared_ptr<GaussianBlur> GaussianBlur::create(std::shared_ptr<Device> device, float sigma,
                                                   std::string* error) {
    if (!device || !std::isfinite(sigma) || sigma <= 0.0f) {
        if (error != nullptr) *error = "the blur needs a device and a sigma above 0";
        return nullptr;
    }
    auto blur = std::shared_ptr<GaussianBlur>(new GaussianBlur());
    blur->device_ = device;
    blur->sigma_ = sigma;

    // Pass 1: the kernel, in double so that tiny tails still normalise cleanly.
    const double s = sigma;
    const std::size_t radius =
        std::min<std::size_t>(kMaxRadius, std::max<std::size_t>(1, std::ceil(3.0 * s)));
    std::vector<double> raw(radius + 1);
    double total = 0.0;
    for (std::size_t i = 0; i <= radius; ++i) {
        raw[i] = std::exp(-static_cast<double>(i * i) / (2.0 * s * s));
        total += i == 0 ? raw[i] : 2.0 * raw[i];
    }
    for (double w : raw) blur->weights_.push_back(static_cast<float>(w / total));

    // Pass 2: fold taps i and i + 1 into one read between them, weighted so that linear
    // filtering returns exactly their weighted sum.
    for (std::size_t i = 1; i <= radius; i += 2) {
        const double w1 = raw[i] / total;
        const double w2 = i + 1 <= radius ? raw[i + 1] / total : 0.0;
        const double w = w1 + w2;
        const double offset = w > 0.0 ? (i * w1 + (i + 1) * w2) / w : static_cast<double>(i);
        blur->pairedTaps_.push_back(static_cast<float>(offset));
        blur->pairedTaps_.push_back(static_cast<float>(w));
    }

    // Pass 3: the program.
    auto library = device->newLibrary(blurProgram(blur->weights_[0], blur->pairedTaps_), error);
    if (!library) return nullptr;
    RenderPipelineDescriptor descriptor;
    descriptor.vertexFunction = library->newFunction("blurVertex", error);
    descriptor.fragmentFunction = library->newFunction("blurFragment", error);
    blur->pipeline_ = device->newRenderPipelineState(descriptor, error);
    if (!blur->pipeline_) return nullptr;
    blur->sampler_ = device->newSamplerState(SamplerDescriptor::linearClamp());
    return blur;
}

bool GaussianBlur::encode(CommandBuffer& buffer, const std::shared_ptr<Texture>& source,
                          const std::shared_ptr<Texture>& destination) {
    if (!source || !destination || !buffer.canOpenEncoder()) return false;
    if (source->device() != device_ || destination->device() != device_ ||
        buffer.device() != device_) {
        return false;
    }
    if (source->width() != destination->width() || source->height() != destination->height()) {
        return false;
    }
    if (!hasUsage(source->usage(), TextureUsage::ShaderRead) ||
        !(hasUsage(destination->usage(), TextureUsage::ShaderWrite) ||
          hasUsage(destination->usage(), TextureUsage::RenderTarget))) {
        return false;
    }
    if (!scratch_ || scratch_->width() != source->width() ||
        scratch_->height() != source->height()) {
        scratch_ = device_->newTexture(
            TextureDescriptor::texture2D(source->width(), source->height(),
                                         TextureUsage::ShaderRead | TextureUsage::RenderTarget));
        if (!scratch_) return false;
    }
    // Each pass captures the scratch texture it uses, so a later resize cannot pull it away
    // from work already recorded.
    return encodePass(buffer, source, scratch_, true) &&
           encodePass(buffer, scratch_, destination, false);
}

bool GaussianBlur::encodePass(CommandBuffer& buffer, const std::shared_ptr<Texture>& source,
                              const std::shared_ptr<Texture>& target, bool horizontal) {
    RenderPassDescriptor pass;
    pass.colorAttachment.texture = target;
    pass.colorAttachment.loadAction = LoadAction::DontCare;
    auto encoder = buffer.openRenderEncoder(pass, false);
    if (!encoder) return false;

    BlurParams params{};
    params.texelStep = {horizontal ? 1.0f / static_cast<float>(source->width()) : 0.0f,
                        horizontal ? 0.0f : 1.0f / static_cast<float>(source->height()), 0.0f,
                        0.0f};

    encoder->setRenderPipelineState(pipeline_);
    encoder->setFragmentTexture(source, 0);
    encoder->setFragmentSamplerState(sampler_, 0);
    encoder->setFragmentBytes(&params, sizeof params, 0);
    encoder->drawPrimitives(PrimitiveType::Triangle, 0, 3);
    encoder->endEncoding();
    return true;
}

}  // namespace gpu

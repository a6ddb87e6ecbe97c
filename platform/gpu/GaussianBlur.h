#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace gpu {

class CommandBuffer;
class Device;
class RenderPipelineState;
class SamplerState;
class Texture;

// A Gaussian blur of one sigma, run on the GPU as two separable passes (horizontal into a scratch
// texture, then vertical into the destination). Edges are clamped: texels beyond the border read
// as the border texel. The kernel reaches ceil(3 sigma) texels either side, at most kMaxRadius;
// a wider kernel is cut there and renormalised.
class GaussianBlur {
  public:
    static constexpr std::size_t kMaxRadius = 256;

    // nullptr when sigma is not a finite number above 0, or the device cannot build the blur
    // program (*error, when given, then holds the driver's message).
    static std::shared_ptr<GaussianBlur> create(std::shared_ptr<Device> device, float sigma,
                                                std::string* error = nullptr);

    float sigma() const { return sigma_; }
    std::size_t radius() const { return weights_.size() - 1; }
    // Normalised one-dimensional weights: [0] the centre, [i] the texels i away on either side.
    const std::vector<float>& weights() const { return weights_; }

    // Records the blur of `source` into `destination` (equal sizes; they may be one texture).
    // False, with nothing recorded, when the sizes differ, `source` lacks ShaderRead usage,
    // `destination` lacks both ShaderWrite and RenderTarget usage, a texture belongs to another
    // device, or `buffer` has an open encoder or was committed.
    bool encode(CommandBuffer& buffer, const std::shared_ptr<Texture>& source,
                const std::shared_ptr<Texture>& destination);

  private:
    GaussianBlur() = default;
    bool encodePass(CommandBuffer& buffer, const std::shared_ptr<Texture>& source,
                    const std::shared_ptr<Texture>& target, bool horizontal);

    std::shared_ptr<Device> device_;
    float sigma_ = 0.0f;
    std::vector<float> weights_;
    // Pairs of neighbouring taps folded into one linear-filtered read: offset, weight.
    std::vector<float> pairedTaps_;
    std::shared_ptr<RenderPipelineState> pipeline_;
    std::shared_ptr<SamplerState> sampler_;
    std::shared_ptr<Texture> scratch_;
};

}  // namespace gpu

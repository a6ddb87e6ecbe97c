#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "glass/LGGlassPipeline.h"
#include "glass/LGTextureCache.h"

namespace gpu {
class CommandQueue;
class Device;
class RenderPipelineState;
class SamplerState;
class Texture;
}  // namespace gpu

// The GPU resources every glass view of the process shares, set up once and never torn down.
struct LGGlassContext {
    static constexpr std::size_t kQueueCount = 9;

    std::shared_ptr<gpu::Device> device;
    LGGlassPipelines pipelines;
    // Linear filtering, clamp-to-edge: how the glass reads the wallpaper and the mask.
    std::shared_ptr<gpu::SamplerState> sampler;
    // One per update group 0...8; a slot whose queue could not be made holds queue 0.
    std::array<std::shared_ptr<gpu::CommandQueue>, kQueueCount> queues;
    LGTextureCache textureCache;
    // One opaque white texel, bound as the mask of glass without a shape mask. May be null.
    std::shared_ptr<gpu::Texture> placeholderMask;

    // The queue of an update group: its own for 0...8, else queue 0.
    const std::shared_ptr<gpu::CommandQueue>& queueForGroup(std::int64_t group) const;
};

// Sets the context up on the first call (main thread), logging a failure once:
//   "metal init failed no default device"
//   "metal library build failed <reason or unknown>"
//   "metal render pipeline build failed <reason or unknown>"
//   "metal command queue creation failed"
// A failure is final for the process. Returns whether the context is ready; any thread may ask.
bool LGGlassContextEnsure();

// The ready context, or nullptr when LGGlassContextEnsure has not succeeded.
LGGlassContext* LGGlassContextShared();

// The set-up steps on a given device and program text, for LGGlassContextEnsure and for tests of
// its failures: nullptr, after logging one of the messages above, when a step fails.
std::unique_ptr<LGGlassContext> LGGlassContextCreate(std::shared_ptr<gpu::Device> device,
                                                     std::string_view shaderSource);

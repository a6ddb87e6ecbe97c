#pragma once

#include <memory>
#include <string>

#include "platform/gpu/RenderPipelineState.h"

namespace gpu {
class Device;
class Library;
class RenderCommandEncoder;
class Texture;
}  // namespace gpu

// The colour attachment every glass pipeline uses: a BGRA target, the shader's straight-alpha
// colour blended source-over, and the coverage accumulated so the surface's alpha stays exact.
gpu::RenderPipelineColorAttachmentDescriptor LGGlassColorAttachment();

// The pipelines of the glass program (LGGlassShader.glsl).
struct LGGlassPipelines {
    // vertexShader with fragmentShader: the whole drawable in one draw of six vertices.
    std::shared_ptr<gpu::RenderPipelineState> whole;
    // bandVertexShader with the full computation of one mode: the pixels that need it.
    std::shared_ptr<gpu::RenderPipelineState> bandRectangle;
    std::shared_ptr<gpu::RenderPipelineState> bandMask;
    // sideVertexShader with the computation along one straight side of rectangle glass. Those
    // pixels are opaque, and like the plain ones drawn once onto the cleared drawable, so the
    // pipeline does not blend.
    std::shared_ptr<gpu::RenderPipelineState> sideRectangle;
    // The same beyond the depth where the highlight is too faint to apply.
    std::shared_ptr<gpu::RenderPipelineState> faintSideRectangle;
    // plainVertexShader with a fragment stage that shows the wallpaper unbent. Rectangle glass's
    // plain pixels are opaque and drawn once onto the cleared drawable, so its pipeline does not
    // blend: the bytes are the same, the blending's reads and arithmetic are saved.
    std::shared_ptr<gpu::RenderPipelineState> plainRectangle;
    std::shared_ptr<gpu::RenderPipelineState> plainMask;

    explicit operator bool() const {
        return whole && bandRectangle && bandMask && sideRectangle && faintSideRectangle &&
               plainRectangle && plainMask;
    }
};

// Builds the pipelines from the compiled glass program. On failure returns empty pipelines
// and sets *reason (when given) to the missing entry's or the linker's message.
LGGlassPipelines LGGlassPipelinesCreate(gpu::Device& device, const gpu::Library& library,
                                        std::string* reason);

// Records the glass as the glass view draws it: the band draw, for rectangle glass the side draws,
// then the plain draw, which together cover each pixel once and give the bytes of the one-draw
// `whole` pipeline. The wallpaper, mask, edge field and edge tiles (textures 0-3), sampler 0, the
// Uniforms record (buffer 0) and the edge field's placement (buffer 1, LGMaskEdgeFieldPlacement;
// any for rectangle glass) must be bound already. `edgeTiles` is the mask's tile texture, or
// nullptr for rectangle glass.
void LGGlassEncodeDraws(gpu::RenderCommandEncoder& encoder, const LGGlassPipelines& pipelines,
                        const gpu::Texture* edgeTiles);

#pragma once

#include "platform/gpu/RenderPipelineState.h"

// The colour attachment every glass pipeline uses: a BGRA target, the shader's straight-alpha
// colour blended source-over, and the coverage accumulated so the surface's alpha stays exact.
gpu::RenderPipelineColorAttachmentDescriptor LGGlassColorAttachment();

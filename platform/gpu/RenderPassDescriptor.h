#pragma once

#include <memory>

#include "platform/gpu/Types.h"

namespace gpu {

class Texture;

// Where a render pass draws and how the target starts out. The target's contents are always kept
// after the pass.
struct RenderPassDescriptor {
    struct ColorAttachment {
        std::shared_ptr<Texture> texture;
        LoadAction loadAction = LoadAction::Clear;
        ClearColor clearColor;
    };
    ColorAttachment colorAttachment;

    static RenderPassDescriptor clearing(std::shared_ptr<Texture> target, ClearColor color = {}) {
        RenderPassDescriptor descriptor;
        descriptor.colorAttachment.texture = std::move(target);
        descriptor.colorAttachment.loadAction = LoadAction::Clear;
        descriptor.colorAttachment.clearColor = color;
        return descriptor;
    }
};

}  // namespace gpu

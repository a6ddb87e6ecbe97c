#include "glass/LGGlassContext.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "glass/LGGlassPipeline.h"
#include "glass/LGGlassShaderSource.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/Library.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/gpu/SamplerState.h"
#include "platform/gpu/Texture.h"
#include "support/LGSharedSupport.h"

namespace {

const char* orUnknown(const std::string& reason) {
    return reason.empty() ? "unknown" : reason.c_str();
}

// Published with release ordering once the context is complete; readers acquire it.
std::atomic<LGGlassContext*> gReadyContext{nullptr};

}  // namespace

const std::shared_ptr<gpu::CommandQueue>& LGGlassContext::queueForGroup(std::int64_t group) const {
    if (group >= 0 && group < static_cast<std::int64_t>(kQueueCount) &&
        queues[static_cast<std::size_t>(group)]) {
        return queues[static_cast<std::size_t>(group)];
    }
    return queues[0];
}

std::unique_ptr<LGGlassContext> LGGlassContextCreate(std::shared_ptr<gpu::Device> device,
                                                     std::string_view shaderSource) {
    // Step 1: the device.
    if (!device) {
        LGLog("metal init failed no default device");
        return nullptr;
    }
    auto context = std::make_unique<LGGlassContext>();
    context->device = device;

    // Step 2: the program.
    std::string reason;
    auto library = device->newLibrary(shaderSource, &reason);
    if (!library) {
        LGLog("metal library build failed %@", orUnknown(reason));
        return nullptr;
    }

    // Step 3: the pipelines, with the glass blend state: straight colour over, alpha accumulated.
    reason.clear();
    context->pipelines = LGGlassPipelinesCreate(*device, *library, &reason);
    if (!context->pipelines) {
        LGLog("metal render pipeline build failed %@", orUnknown(reason));
        return nullptr;
    }
    // Every frame binds the sampler; without one every frame would fail, so it is part of the
    // set-up, not something a frame can do without.
    context->sampler = device->newSamplerState(gpu::SamplerDescriptor::linearClamp());
    if (!context->sampler) {
        LGLog("metal sampler state creation failed");
        return nullptr;
    }

    // Step 4: queue 0 is required; the others fall back to it.
    context->queues[0] = device->newCommandQueue();
    if (!context->queues[0]) {
        LGLog("metal command queue creation failed");
        return nullptr;
    }
    for (std::size_t i = 1; i < LGGlassContext::kQueueCount; ++i) {
        context->queues[i] = device->newCommandQueue();
        if (!context->queues[i]) context->queues[i] = context->queues[0];
    }

    // Step 5: the placeholder mask; glass without a mask reads its alpha of 1. Failing here is
    // not fatal: the draw then has no mask texture to bind and skips its frames.
    context->placeholderMask =
        device->newTexture(gpu::TextureDescriptor::texture2D(1, 1, gpu::TextureUsage::ShaderRead));
    if (context->placeholderMask) {
        const std::uint32_t white = 0xFFFFFFFFu;
        context->placeholderMask->replaceRegion({{0, 0}, {1, 1}}, &white, 4);
    }
    return context;
}

bool LGGlassContextEnsure() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::string reason;
        auto context =
            LGGlassContextCreate(gpu::Device::systemDefault(&reason), LGGlassShaderSource());
        // The context lives as long as the process; it is never torn down.
        if (context) gReadyContext.store(context.release(), std::memory_order_release);
    });
    return gReadyContext.load(std::memory_order_acquire) != nullptr;
}

LGGlassContext* LGGlassContextShared() {
    return gReadyContext.load(std::memory_order_acquire);
}

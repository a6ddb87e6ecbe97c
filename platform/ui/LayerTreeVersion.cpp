#include "platform/ui/LayerTreeVersion.h"

#include <vector>

#include "platform/dispatch/Time.h"
#include "platform/ui/Layer.h"

namespace ui {

namespace {

// FNV-1a over 64-bit words.
void mix(std::uint64_t& hash, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (8 * i)) & 0xff;
        hash *= 0x100000001b3ull;
    }
}

}  // namespace

std::uint64_t layerTreeVersion(const Layer& root) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    std::vector<const Layer*> stack{&root};
    while (!stack.empty()) {
        const Layer* layer = stack.back();
        stack.pop_back();
        mix(hash, reinterpret_cast<std::uintptr_t>(layer));
        mix(hash, layer->version());
        mix(hash, layer->sublayers().size());
        if (layer->hasRunningAnimations()) mix(hash, std::uint64_t(dispatch::nowNanos()));
        if (const auto& mask = layer->mask()) stack.push_back(mask.get());
        for (const auto& sublayer : layer->sublayers()) stack.push_back(sublayer.get());
    }
    return hash;
}

}  // namespace ui

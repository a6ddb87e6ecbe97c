#include "glass/LGTextureCache.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "glass/LGZeroCopyBridge.h"
#include "platform/gpu/GaussianBlur.h"
#include "platform/gpu/Texture.h"

namespace {

// Thousandths, to nearest with ties to even (the default rounding mode), saturating far out.
std::int64_t thousandths(double value) {
    const double scaled = std::nearbyint(value * 1000.0);
    if (scaled >= 9.0e18) return INT64_MAX;
    return static_cast<std::int64_t>(scaled);
}

}  // namespace

std::int64_t LGTextureScaleKey(double scale) {
    if (!std::isfinite(scale)) return 1;
    return std::max<std::int64_t>(1, thousandths(scale));
}

std::int64_t LGBlurKey(double value) {
    if (!(value > 0.0)) return 0;  // negative and NaN
    if (std::isinf(value)) return INT64_MAX;
    return std::max<std::int64_t>(0, thousandths(value));
}

// ---- LGTextureCacheEntry ----

LGTextureCacheEntry::LGTextureCacheEntry(std::shared_ptr<gpu::Texture> bgTexture,
                                         std::shared_ptr<LGZeroCopyBridge> bridge)
    : bgTexture_(std::move(bgTexture)), bridge_(std::move(bridge)) {}

std::shared_ptr<const LGBlurVariant> LGTextureCacheEntry::blurVariant(std::int64_t blurKey) const {
    auto it = variants_.find(blurKey);
    return it != variants_.end() ? it->second.variant : nullptr;
}

void LGTextureCacheEntry::setBlurVariant(std::int64_t blurKey, LGBlurVariant variant) {
    variants_[blurKey] = {std::make_shared<const LGBlurVariant>(std::move(variant)),
                          nextSequence_++};
    trimVariants(blurKey);
}

void LGTextureCacheEntry::removeBlurVariant(std::int64_t blurKey,
                                            const std::shared_ptr<gpu::Texture>& texture) {
    auto it = variants_.find(blurKey);
    if (it != variants_.end() && it->second.variant->texture == texture) variants_.erase(it);
}

void LGTextureCacheEntry::trimVariants(std::int64_t keep) {
    while (variants_.size() > kMaxBlurVariants) {
        // The oldest variant whose texture only this table holds: no view shows it and no view
        // will miss it; a view that wants that blur again bakes it again.
        auto victim = variants_.end();
        for (auto it = variants_.begin(); it != variants_.end(); ++it) {
            if (it->first == keep) continue;
            const auto& texture = it->second.variant->texture;
            if (texture && texture.use_count() > 1) continue;
            if (victim == variants_.end() || it->second.sequence < victim->second.sequence) {
                victim = it;
            }
        }
        if (victim == variants_.end()) return;  // every variant is on screen somewhere
        variants_.erase(victim);
    }
}

// ---- LGTextureCache ----

std::shared_ptr<LGTextureCacheEntry> LGTextureCache::entry(const graphics::ImageRef& image,
                                                           std::int64_t scaleKey) {
    if (!image) return nullptr;
    purge();
    auto slot = slots_.find(image.get());
    if (slot == slots_.end()) return nullptr;
    // An address can come back for a new image after the old one died; identity is the control
    // block, not the address.
    if (slot->second.image.lock() != image) {
        slots_.erase(slot);
        return nullptr;
    }
    auto it = slot->second.entries.find(scaleKey);
    return it != slot->second.entries.end() ? it->second : nullptr;
}

void LGTextureCache::setEntry(const graphics::ImageRef& image, std::int64_t scaleKey,
                              std::shared_ptr<LGTextureCacheEntry> entry) {
    if (!image || !entry) return;
    purge();
    Slot& slot = slots_[image.get()];
    if (slot.image.lock() != image) slot = Slot{image, {}};
    slot.entries[scaleKey] = std::move(entry);
}

std::size_t LGTextureCache::imageCount() {
    purge();
    return slots_.size();
}

void LGTextureCache::purge() {
    std::erase_if(slots_, [](const auto& item) { return item.second.image.expired(); });
}

// ---- Gaussian kernels ----

namespace {

std::map<std::int64_t, std::shared_ptr<gpu::GaussianBlur>>& kernelTable() {
    static auto* table = new std::map<std::int64_t, std::shared_ptr<gpu::GaussianBlur>>();
    return *table;
}

}  // namespace

std::shared_ptr<gpu::GaussianBlur> LGGaussianKernel(const std::shared_ptr<gpu::Device>& device,
                                                    float sigma) {
    if (!device) return nullptr;
    auto& table = kernelTable();
    const std::int64_t key = LGBlurKey(sigma);
    if (auto it = table.find(key); it != table.end()) return it->second;
    auto kernel = gpu::GaussianBlur::create(device, sigma);
    if (kernel) table.emplace(key, kernel);
    return kernel;
}

std::size_t LGGaussianKernelCount() {
    return kernelTable().size();
}

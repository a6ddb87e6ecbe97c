#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/graphics/Image.h"

namespace gpu {
class Device;
class GaussianBlur;
class Texture;
}  // namespace gpu

class LGZeroCopyBridge;

// Keys of the process-wide texture tables: thousandths, rounded to nearest with ties to even.
// A scale key is at least 1 and a blur key at least 0; values that are not numbers give those.
std::int64_t LGTextureScaleKey(double scale);
std::int64_t LGBlurKey(double value);

// The wallpaper texture blurred once, and the radius (wallpaper-texture pixels) it was blurred
// with.
struct LGBlurVariant {
    std::shared_ptr<gpu::Texture> texture;
    float bakedBlurRadius = 0.0f;
};

// One uploaded wallpaper at one internal scale, shared by every glass view showing that image
// object at that scale, with the blurred variants baked for it, keyed by the views' blur setting.
//
// Who may write a variant's texture: nobody, once it is stored. A glass view bakes only into a
// texture that is its own and has never been published; after the bake it stores the texture here
// and from then on treats it as shared, so a later bake with another radius goes into a fresh
// texture. A variant therefore always keeps the blur of its bakedBlurRadius, whichever views
// adopted it. To keep memory bounded while the blur setting is adjusted again and again, storing a
// variant drops the oldest variants beyond kMaxBlurVariants that no view still shows (their
// texture held by the table alone).
class LGTextureCacheEntry {
  public:
    static constexpr std::size_t kMaxBlurVariants = 4;

    LGTextureCacheEntry(std::shared_ptr<gpu::Texture> bgTexture,
                        std::shared_ptr<LGZeroCopyBridge> bridge);

    const std::shared_ptr<gpu::Texture>& bgTexture() const { return bgTexture_; }
    const std::shared_ptr<LGZeroCopyBridge>& bridge() const { return bridge_; }

    // The variant under `blurKey`, or nullptr.
    std::shared_ptr<const LGBlurVariant> blurVariant(std::int64_t blurKey) const;
    // Stores `variant` under `blurKey`, replacing an earlier one, then trims the table.
    void setBlurVariant(std::int64_t blurKey, LGBlurVariant variant);
    // Withdraws the variant under `blurKey` if it is the one holding `texture`: its bake never
    // ran, so no view may adopt it.
    void removeBlurVariant(std::int64_t blurKey, const std::shared_ptr<gpu::Texture>& texture);
    std::size_t blurVariantCount() const { return variants_.size(); }

  private:
    struct Stored {
        std::shared_ptr<const LGBlurVariant> variant;
        std::uint64_t sequence = 0;  // when it was stored; lower is older
    };

    void trimVariants(std::int64_t keep);

    std::shared_ptr<gpu::Texture> bgTexture_;
    std::shared_ptr<LGZeroCopyBridge> bridge_;
    std::map<std::int64_t, Stored> variants_;
    std::uint64_t nextSequence_ = 0;
};

// The process-wide table from wallpaper image object to its uploads by texture-scale key. Images
// are held weakly and matched by identity (two images with equal pixels are different keys); the
// entries, held strongly, go away with their image: every look-up and store drops the entries of
// images that died, and so does every frame a glass view draws (purge()), so an image's upload,
// its CPU copy and its blur variants never outlive it by more than a frame. Main thread only.
class LGTextureCache {
  public:
    std::shared_ptr<LGTextureCacheEntry> entry(const graphics::ImageRef& image,
                                               std::int64_t scaleKey);
    void setEntry(const graphics::ImageRef& image, std::int64_t scaleKey,
                  std::shared_ptr<LGTextureCacheEntry> entry);
    // Images still alive that have entries.
    std::size_t imageCount();
    // Drops the entries of images that are gone.
    void purge();

  private:
    struct Slot {
        std::weak_ptr<const graphics::Image> image;
        std::map<std::int64_t, std::shared_ptr<LGTextureCacheEntry>> entries;
    };

    std::unordered_map<const graphics::Image*, Slot> slots_;
};

// The Gaussian blur for `sigma`, made on first use for the sigma's key and kept for the life of
// the process. nullptr when there is no device or the blur cannot be built (then nothing is kept
// and the next call tries again).
std::shared_ptr<gpu::GaussianBlur> LGGaussianKernel(const std::shared_ptr<gpu::Device>& device,
                                                    float sigma);
// How many kernels the process keeps.
std::size_t LGGaussianKernelCount();

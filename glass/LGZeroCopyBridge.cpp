#include "glass/LGZeroCopyBridge.h"

#include <limits>

#include "platform/gpu/Device.h"
#include "platform/gpu/Texture.h"
#include "platform/graphics/BitmapContext.h"

LGZeroCopyBridge::LGZeroCopyBridge(std::shared_ptr<gpu::Device> device)
    : device_(std::move(device)) {}

LGZeroCopyBridge::~LGZeroCopyBridge() = default;

void LGZeroCopyBridge::releaseBuffer() {
    texture_.reset();
    pixelBuffer_.clear();
    pixelBuffer_.shrink_to_fit();
    width_ = 0;
    height_ = 0;
}

bool LGZeroCopyBridge::setupBufferWithWidth(std::size_t width, std::size_t height) {
    if (width == 0 || height == 0 || !device_) return false;
    releaseBuffer();
    // The drawing context takes int sides; anything the GPU accepts fits, but refuse the rest
    // rather than wrap.
    constexpr auto kIntMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (width > kIntMax || height > kIntMax) return false;
    auto texture = device_->newTexture(
        gpu::TextureDescriptor::texture2D(width, height, gpu::TextureUsage::ShaderRead));
    if (!texture) return false;
    pixelBuffer_.assign(width * height, 0u);
    texture_ = std::move(texture);
    width_ = width;
    height_ = height;
    return true;
}

std::shared_ptr<gpu::Texture> LGZeroCopyBridge::renderWithActions(const Actions& actions) {
    if (!texture_ || pixelBuffer_.empty()) return nullptr;
    {
        auto bitmap = graphics::BitmapContext::create(pixelBuffer_.data(), static_cast<int>(width_),
                                                      static_cast<int>(height_), width_ * 4);
        if (!bitmap) return nullptr;
        if (actions) actions(bitmap->context());
        // The context is gone before the pixels are published, so every drawing call has landed.
    }
    if (!texture_->replaceRegion(texture_->wholeRegion(), pixelBuffer_.data(), width_ * 4)) {
        return nullptr;
    }
    return texture_;
}

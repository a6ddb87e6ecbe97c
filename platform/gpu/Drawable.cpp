#include "platform/gpu/Drawable.h"

#include "platform/gpu/Texture.h"

namespace gpu {

std::shared_ptr<Drawable> Drawable::create(std::shared_ptr<Texture> texture,
                                           PresentHandler onPresent) {
    if (!texture) return nullptr;
    return std::shared_ptr<Drawable>(new Drawable(std::move(texture), std::move(onPresent)));
}

void Drawable::present() {
    if (presented_) return;
    presented_ = true;
    // The handler is dropped once it has run: it may hold the surface, and a presented drawable
    // has nothing more to tell it.
    PresentHandler handler = std::move(onPresent_);
    onPresent_ = nullptr;
    if (handler) handler(*texture_);
}

}  // namespace gpu

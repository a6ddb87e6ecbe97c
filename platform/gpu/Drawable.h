#pragma once

#include <functional>
#include <memory>

namespace gpu {

class Texture;

// One frame's render target together with the surface that shows it once it is presented.
//
// A surface hands out drawables; whoever renders into one asks a command buffer to present it
// (CommandBuffer::presentDrawable), and the command buffer does so after its own work has run,
// so the surface sees the finished frame. Presenting is one-shot: only the first present of a
// drawable reaches the surface.
class Drawable {
  public:
    // Called with the texture when the drawable is presented; it runs on the thread that
    // executes the command buffer, which is the device's thread.
    using PresentHandler = std::function<void(const Texture& texture)>;

    // nullptr when `texture` is null. An empty handler makes a drawable whose presents show
    // nothing anywhere.
    static std::shared_ptr<Drawable> create(std::shared_ptr<Texture> texture,
                                            PresentHandler onPresent);

    Drawable(const Drawable&) = delete;
    Drawable& operator=(const Drawable&) = delete;

    const std::shared_ptr<Texture>& texture() const { return texture_; }

    // Shows the texture's contents as they are now. Later calls do nothing.
    void present();
    bool isPresented() const { return presented_; }

  private:
    Drawable(std::shared_ptr<Texture> texture, PresentHandler onPresent)
        : texture_(std::move(texture)), onPresent_(std::move(onPresent)) {}

    std::shared_ptr<Texture> texture_;
    PresentHandler onPresent_;
    bool presented_ = false;
};

}  // namespace gpu

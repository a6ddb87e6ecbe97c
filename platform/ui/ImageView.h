#pragma once

#include <memory>

#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

namespace ui {

// A view that shows an image ("UIImageView"), placed by its content mode. Its layer's contents
// are the image.
class ImageView : public View {
    QV_OBJECT(ImageView, View);

  public:
    ImageView();
    explicit ImageView(const base::Rect& frame);
    static std::shared_ptr<ImageView> create(const base::Rect& frame = {});
    // A view the size of the image (in points) at the origin.
    static std::shared_ptr<ImageView> create(graphics::ImageRef image);

    const graphics::ImageRef& image() const { return image_; }
    void setImage(graphics::ImageRef image);

    base::Size intrinsicContentSize() const override;

  private:
    static void registerMethods(runtime::MethodList<ImageView>& methods);
    base::Size sizeThatFitsImage(base::Size size);
    void showImage();
    void tintChangedImage();
    void traitsChangedImage(TraitCollection previous);

    graphics::ImageRef image_;
};

}  // namespace ui

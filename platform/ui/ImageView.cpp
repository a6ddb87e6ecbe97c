#include "platform/ui/ImageView.h"

#include "platform/ui/Layer.h"

namespace ui {

QV_DEFINE_CLASS(ImageView, "UIImageView");

void ImageView::registerMethods(runtime::MethodList<ImageView>& methods) {
    methods.add<&ImageView::sizeThatFitsImage>(kSizeThatFits);
}

ImageView::ImageView() {
    setUserInteractionEnabled(false);
}

ImageView::ImageView(const base::Rect& frame) : View(frame) {
    setUserInteractionEnabled(false);
}

std::shared_ptr<ImageView> ImageView::create(const base::Rect& frame) {
    return std::make_shared<ImageView>(frame);
}

std::shared_ptr<ImageView> ImageView::create(graphics::ImageRef image) {
    const base::Size size = image ? image->size() : base::Size{};
    auto view = std::make_shared<ImageView>(base::Rect{{0, 0}, size});
    view->setImage(std::move(image));
    return view;
}

void ImageView::setImage(graphics::ImageRef image) {
    if (image == image_) return;
    image_ = std::move(image);
    layer()->setContents(image_);
    if (image_) layer()->setContentsScale(image_->scale());
}

base::Size ImageView::intrinsicContentSize() const {
    return image_ ? image_->size() : base::Size{kNoIntrinsicMetric, kNoIntrinsicMetric};
}

base::Size ImageView::sizeThatFitsImage(base::Size) {
    return image_ ? image_->size() : bounds().size;
}

}  // namespace ui

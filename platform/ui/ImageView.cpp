#include "platform/ui/ImageView.h"

#include "platform/ui/Layer.h"
#include "platform/ui/SymbolImage.h"

namespace ui {

QV_DEFINE_CLASS(ImageView, "UIImageView");

void ImageView::registerMethods(runtime::MethodList<ImageView>& methods) {
    methods.add<&ImageView::sizeThatFitsImage>(kSizeThatFits)
        .add<&ImageView::tintChangedImage>(kTintColorDidChange)
        .add<&ImageView::traitsChangedImage>(kTraitCollectionDidChange);
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
    showImage();
    if (image_) layer()->setContentsScale(image_->scale());
}

void ImageView::showImage() {
    // Template images take the tint colour as it resolves for the current appearance.
    if (image_ && isTemplateImage(image_)) {
        graphics::ImageRef tinted = tintedImage(*image_, traitCollection().resolve(tintColor()));
        layer()->setContents(tinted ? tinted : image_);
    } else {
        layer()->setContents(image_);
    }
}

void ImageView::tintChangedImage() {
    kTintColorDidChange.sendSuper(this);
    if (image_ && isTemplateImage(image_)) showImage();
}

void ImageView::traitsChangedImage(TraitCollection previous) {
    kTraitCollectionDidChange.sendSuper(this, previous);
    if (image_ && isTemplateImage(image_)) showImage();
}

base::Size ImageView::intrinsicContentSize() const {
    return image_ ? image_->size() : base::Size{kNoIntrinsicMetric, kNoIntrinsicMetric};
}

base::Size ImageView::sizeThatFitsImage(base::Size) {
    return image_ ? image_->size() : bounds().size;
}

}  // namespace ui

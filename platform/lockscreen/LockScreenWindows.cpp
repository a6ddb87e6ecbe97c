#include "platform/lockscreen/LockScreenWindows.h"

#include <cmath>

namespace lockscreen {

QV_DEFINE_CLASS(WallpaperWindow, "_SBWallpaperWindow");
QV_DEFINE_CLASS(WallpaperSecureWindow, "_SBWallpaperSecureWindow");
QV_DEFINE_CLASS(CoverSheetWindow, "SBCoverSheetWindow");
QV_DEFINE_CLASS(CoverSheetScrollView, "CSScrollView");
QV_DEFINE_CLASS(CoverSheetPageView, "CSCoverSheetPageView");

// ---- WallpaperWindow ----------------------------------------------------------------------------

void WallpaperWindow::registerMethods(runtime::MethodList<WallpaperWindow>& methods) {
    methods.add<&WallpaperWindow::layoutImageView>(kLayoutSubviews);
}

WallpaperWindow::WallpaperWindow(const base::Rect& frame) : ui::Window(frame) {}

void WallpaperWindow::setUpImageView() {
    imageView_ = ui::ImageView::create(bounds());
    imageView_->setContentMode(ui::ContentMode::ScaleAspectFill);
    imageView_->setClipsToBounds(true);
    addSubview(imageView_);
}

std::shared_ptr<WallpaperWindow> WallpaperWindow::create(const base::Rect& frame) {
    auto window = std::make_shared<WallpaperWindow>(frame);
    window->setUpImageView();
    return window;
}

std::shared_ptr<WallpaperSecureWindow> WallpaperSecureWindow::create(const base::Rect& frame) {
    auto window = std::make_shared<WallpaperSecureWindow>(frame);
    window->setUpImageView();
    return window;
}

void WallpaperWindow::layoutImageView() {
    if (imageView_) imageView_->setFrame(bounds());
}

std::shared_ptr<CoverSheetWindow> CoverSheetWindow::create(const base::Rect& frame) {
    return std::make_shared<CoverSheetWindow>(frame);
}

// ---- CoverSheetScrollView -----------------------------------------------------------------------

void CoverSheetScrollView::registerMethods(runtime::MethodList<CoverSheetScrollView>& methods) {
    methods.add<&CoverSheetScrollView::layoutPages>(kLayoutSubviews);
}

std::shared_ptr<CoverSheetScrollView> CoverSheetScrollView::create() {
    auto view = std::make_shared<CoverSheetScrollView>();
    view->setShowsHorizontalScrollIndicator(false);
    return view;
}

void CoverSheetScrollView::addPage(const std::shared_ptr<ui::View>& page) {
    pages_.push_back(page);
    addSubview(page);
    setNeedsLayout();
}

void CoverSheetScrollView::layoutPages() {
    const base::Size size = bounds().size;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        pages_[i]->setFrame({double(i) * size.width, 0, size.width, size.height});
    }
    setContentSize({double(pages_.size()) * size.width, size.height});
    // A new width (first layout, rotation) keeps the same page in view: the main page at first.
    if (size.width != laidOutWidth_) {
        const double page =
            laidOutWidth_ > 0 ? std::round(contentOffset().x / laidOutWidth_) : double(kMainPage);
        laidOutWidth_ = size.width;
        setContentOffset({page * size.width, contentOffset().y});
    }
}

// ---- CoverSheetPageView -------------------------------------------------------------------------

void CoverSheetPageView::registerMethods(runtime::MethodList<CoverSheetPageView>& methods) {
    methods.add<&CoverSheetPageView::layoutPage>(kLayoutSubviews);
}

std::shared_ptr<CoverSheetPageView> CoverSheetPageView::create(Layout layout) {
    auto view = std::make_shared<CoverSheetPageView>();
    view->layout_ = std::move(layout);
    return view;
}

void CoverSheetPageView::layoutPage() {
    if (layout_) layout_(*this);
}

}  // namespace lockscreen

#pragma once

#include <functional>
#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"

namespace lockscreen {

// The windows and pages of the lock screen, under the home-screen process's class names.

// The window that shows the home screen's wallpaper ("_SBWallpaperWindow"): one image view
// filling it, aspect-filled.
class WallpaperWindow : public ui::Window {
    QV_OBJECT(WallpaperWindow, ui::Window);

  public:
    WallpaperWindow() = default;
    explicit WallpaperWindow(const base::Rect& frame);
    static std::shared_ptr<WallpaperWindow> create(const base::Rect& frame);
    const std::shared_ptr<ui::ImageView>& imageView() const { return imageView_; }

  protected:
    void setUpImageView();

  private:
    static void registerMethods(runtime::MethodList<WallpaperWindow>& methods);
    void layoutImageView();

    std::shared_ptr<ui::ImageView> imageView_;
};

// The lock screen's own wallpaper window ("_SBWallpaperSecureWindow"), shown while locked.
class WallpaperSecureWindow : public WallpaperWindow {
    QV_OBJECT(WallpaperSecureWindow, WallpaperWindow);

  public:
    WallpaperSecureWindow() = default;
    explicit WallpaperSecureWindow(const base::Rect& frame) : WallpaperWindow(frame) {}
    static std::shared_ptr<WallpaperSecureWindow> create(const base::Rect& frame);
};

// The window of the lock screen ("SBCoverSheetWindow"), above the wallpaper.
class CoverSheetWindow : public ui::Window {
    QV_OBJECT(CoverSheetWindow, ui::Window);

  public:
    CoverSheetWindow() = default;
    explicit CoverSheetWindow(const base::Rect& frame) : ui::Window(frame) {}
    static std::shared_ptr<CoverSheetWindow> create(const base::Rect& frame);
};

// The lock screen's horizontally paging scroll view ("CSScrollView"): three pages side by side
// (widgets, the main page with the clock, the camera's page), starting on the middle one.
class CoverSheetScrollView : public ui::ScrollView {
    QV_OBJECT(CoverSheetScrollView, ui::ScrollView);

  public:
    static constexpr int kPageCount = 3;
    static constexpr int kMainPage = 1;

    CoverSheetScrollView() = default;
    static std::shared_ptr<CoverSheetScrollView> create();
    // Pages are laid out one screen wide each; the view keeps its offset on the same page when
    // its size changes.
    void addPage(const std::shared_ptr<ui::View>& page);
    const std::vector<std::shared_ptr<ui::View>>& pages() const { return pages_; }

  private:
    static void registerMethods(runtime::MethodList<CoverSheetScrollView>& methods);
    void layoutPages();

    std::vector<std::shared_ptr<ui::View>> pages_;
    double laidOutWidth_ = 0;
};

// A page whose layout is decided by its owner ("CSMainPageView" and the side pages): the
// system's layout of the lock screen lives in LockScreen, which the page calls back on each
// layout pass, so that frames reach the page's children through setFrame: from their
// superview's layoutSubviews, as on the phone.
class CoverSheetPageView : public ui::View {
    QV_OBJECT(CoverSheetPageView, ui::View);

  public:
    using Layout = std::function<void(CoverSheetPageView&)>;

    CoverSheetPageView() = default;
    static std::shared_ptr<CoverSheetPageView> create(Layout layout = {});

  private:
    static void registerMethods(runtime::MethodList<CoverSheetPageView>& methods);
    void layoutPage();

    Layout layout_;
};

}  // namespace lockscreen

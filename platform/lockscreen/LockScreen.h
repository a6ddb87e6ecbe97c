#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/lockscreen/ClockViews.h"
#include "platform/lockscreen/CoveringViews.h"
#include "platform/lockscreen/LockScreenLayout.h"
#include "platform/lockscreen/LockScreenWindows.h"
#include "platform/lockscreen/NotificationViews.h"
#include "platform/ui/WindowScene.h"

namespace lockscreen {

// The lock screen as the home-screen process builds it, on the main screen's profile and the
// system version the process reports:
//
//   window scene (connected to the application)
//   ├─ _SBWallpaperWindow        the wallpaper, below everything
//   ├─ _SBWallpaperSecureWindow  the lock screen's wallpaper
//   ├─ SBCoverSheetWindow
//   │   └─ CSScrollView (paging) ─ three pages; the middle one holds
//   │        16+:  CSProminentSubtitleDateView, CSProminentTimeView ─ _UIAnimatingLabel,
//   │        15:   SBFLockScreenDateView ─ SBUILegibilityLabel ─ UILabel,
//   │                                    └ SBFLockScreenDateSubtitleDateView ─ UILabel
//   │        and the view of NCNotificationStructuredListViewController ─ NCNotificationListView
//   │   ├─ CSPasscodeBackgroundView while the passcode is asked for
//   │   └─ CAMViewfinderView ─ CAMPreviewViewControllerView ─ CAMPreviewView … while the camera
//   │      is open
//
// The system's behaviour that code in the process relies on: the time label hears setFont: once
// built and setText: at every minute of the wall clock; frames reach the clock, the date line and
// the list from their superview's layoutSubviews; the list controller hears the layout callbacks
// around its view's layout; showing the passcode dims the stock clock with setAlpha: and hiding
// it restores it; the passcode and the camera coming and going lay the clock out again.
//
// Main thread only. The lock screen keeps its windows alive; destroying it takes them down.
class LockScreen {
  public:
    // Builds and shows the lock screen with the wallpaper (nullptr leaves the wallpaper windows
    // black) and starts the minute updates of the clock.
    static std::unique_ptr<LockScreen> create(graphics::ImageRef wallpaper);
    ~LockScreen();
    LockScreen(const LockScreen&) = delete;
    LockScreen& operator=(const LockScreen&) = delete;

    bool isModern() const { return layout_.modern; }
    const LockScreenLayout& layout() const { return layout_; }

    const std::shared_ptr<ui::WindowScene>& scene() const { return scene_; }
    const std::shared_ptr<WallpaperWindow>& wallpaperWindow() const { return wallpaper_; }
    const std::shared_ptr<WallpaperSecureWindow>& secureWallpaperWindow() const {
        return secureWallpaper_;
    }
    const std::shared_ptr<CoverSheetWindow>& coverSheetWindow() const { return coverSheet_; }
    const std::shared_ptr<CoverSheetScrollView>& pageScrollView() const { return pages_; }
    const std::shared_ptr<CoverSheetPageView>& mainPage() const { return mainPage_; }
    // The clock host: a CSProminentTimeView (16+) or a SBFLockScreenDateView (15).
    std::shared_ptr<ui::View> clockView() const;
    std::shared_ptr<ui::Label> timeLabel() const;
    std::shared_ptr<ui::View> dateLineView() const;
    std::shared_ptr<ui::Label> dateLabel() const;
    const std::shared_ptr<NotificationStructuredListViewController>& listController() const {
        return listController_;
    }
    const std::shared_ptr<NotificationListView>& listView() const {
        return listController_->listView();
    }
    const std::shared_ptr<PasscodeBackgroundView>& passcodeView() const { return passcode_; }
    const std::shared_ptr<CameraViewfinderView>& cameraView() const { return camera_; }

    void setWallpaper(graphics::ImageRef wallpaper);
    // Re-reads the wall clock into the time and date labels (setText: only when they change).
    void updateClock();

    bool addNotification(const Notification& notification);
    bool removeNotification(const std::string& identifier);

    // Scrolls the pages (0 widgets, 1 main, 2 camera; fractions lie between) or the list.
    void scrollToPage(double page, bool animated);
    void scrollList(double offsetY, bool animated);

    void setPasscodeVisible(bool visible);
    bool isPasscodeVisible() const { return passcode_->superview() != nullptr; }
    void setCameraOpen(bool open);
    bool isCameraOpen() const { return camera_->superview() != nullptr; }

    // A new screen size (a rotation or a resized screen): every window takes it and lays out.
    void setScreenSize(base::Size size);

    // Lays out every window now.
    void layoutIfNeeded();

  private:
    LockScreen() = default;
    void build(graphics::ImageRef wallpaper);
    void scheduleMinuteUpdate();

    LockScreenLayout layout_;
    std::shared_ptr<ui::WindowScene> scene_;
    std::shared_ptr<WallpaperWindow> wallpaper_;
    std::shared_ptr<WallpaperSecureWindow> secureWallpaper_;
    std::shared_ptr<CoverSheetWindow> coverSheet_;
    std::shared_ptr<CoverSheetScrollView> pages_;
    std::shared_ptr<CoverSheetPageView> mainPage_;
    std::shared_ptr<ProminentTimeView> timeView_;
    std::shared_ptr<ProminentSubtitleDateView> modernDateLine_;
    std::shared_ptr<LockScreenDateView> dateView_;
    std::shared_ptr<NotificationStructuredListViewController> listController_;
    std::shared_ptr<PasscodeBackgroundView> passcode_;
    std::shared_ptr<CameraViewfinderView> camera_;
    std::string shownDate_;
    // Lets the queued minute update find out that the lock screen is gone.
    std::shared_ptr<LockScreen*> self_;
};

}  // namespace lockscreen

#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/notify/NotificationCenter.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/StackView.h"
#include "platform/ui/TouchSource.h"
#include "platform/ui/Window.h"
#include "settings/model/LGSettingsItems.h"
#include "settings/page/QVQuorvaneSurfaceController.h"
#include "settings/page/detail/SurfaceAttachments.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"
#include "tests/platform/prefs/TestDeviceRoot.h"
#include "tests/platform/ui/UiTestSupport.h"

// A settings page shown full screen in a navigation controller on a fresh device root, on the
// manual clock, as the Settings app would show it.
class SurfacePageTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        resetSupport();
        refreshToken_ = notify::NotificationCenter::defaultCenter().addObserver(
            kLGPrefsUIRefreshNotification, nullptr, nullptr,
            [this](const notify::Notification&) { ++uiRefreshes; });
        window = ui::Window::create(ui::Screen::main()->bounds());
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        notify::NotificationCenter::defaultCenter().removeObserver(refreshToken_);
        if (finger.isTouching()) finger.touchCancel();
        window->setHidden(true);
        window.reset();
        page.reset();
        ui::testing::runFrames(1);
        resetSupport();
        UiTest::TearDown();
        // A test may have played an older system; the next one starts on the modern one.
        ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone());
    }
    static void resetSupport() {
        lg::detail::resetPrefsWriterForTesting();
        lg::detail::resetPrefsStoreForTesting();
        lg::detail::resetProcessFactsForTesting();
    }

    void show(std::vector<LGSettingsItem> items) {
        page = QVQuorvaneSurfaceController::create(std::nullopt, "Lockscreen", std::move(items));
        window->setRootViewController(ui::NavigationController::create(page));
        ui::testing::runFrames(2);
    }
    void showLockscreenPage() { show(LGLockscreenSurfaceItems()); }

    // The row whose item has this key (or, for rows without one, this title); the test fails
    // when the page has none.
    std::shared_ptr<ui::View> row(const std::string& keyOrTitle) const {
        std::shared_ptr<ui::View> found = findRow(keyOrTitle);
        if (!found) ADD_FAILURE() << "the page has no row " << keyOrTitle;
        return found ? found : ui::View::create();
    }
    std::shared_ptr<ui::View> findRow(const std::string& keyOrTitle) const {
        for (const auto& view :
             QVQuorvaneSurfaceController::lg_allSubviewsOfView(*page->contentStack())) {
            const auto item = surface_detail::attachedItem(*view);
            if (item && (item->string("key") == keyOrTitle ||
                         (item->string("key").empty() && item->string("title") == keyOrTitle))) {
                return view;
            }
        }
        return nullptr;
    }
    template <class T>
    std::shared_ptr<T> inRow(const std::string& key) const {
        const auto r = row(key);
        if (!r) return nullptr;
        for (const auto& view : QVQuorvaneSurfaceController::lg_allSubviewsOfView(*r)) {
            if (auto found = std::dynamic_pointer_cast<T>(view)) return found;
        }
        return nullptr;
    }
    // The slider row's value label (the one the page attached its slider to).
    std::shared_ptr<ui::Label> valueLabel(const std::string& key) const {
        for (const auto& view : QVQuorvaneSurfaceController::lg_allSubviewsOfView(*row(key))) {
            if (surface_detail::attachedValueLabel(*view)) {
                return std::dynamic_pointer_cast<ui::Label>(view);
            }
        }
        return nullptr;
    }
    // A view's centre in screen points (the window fills the screen).
    static base::Point centerOf(const ui::View& view) {
        const base::Rect b = view.bounds();
        return view.convertPoint({b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2},
                                 nullptr);
    }
    void tap(const ui::View& view) {
        finger.tap(centerOf(view));
        ui::testing::runFrames(2);
    }

    static base::PlistPtr stored(const std::string& key) {
        return LGPrefsDirectValue(key, nullptr);
    }

    TestDeviceRoot root;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<QVQuorvaneSurfaceController> page;
    ui::TouchSource& finger = ui::TouchSource::shared();
    int uiRefreshes = 0;

  private:
    notify::NotificationCenter::Token refreshToken_ = 0;
};

#pragma once

#include <memory>

#include "platform/base/Geometry.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchSource.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/support/SupportTestFixture.h"

// A page controller that counts the page operations the chrome sends it.
class CountingPage : public ui::ViewController {
    QV_OBJECT(CountingPage, ui::ViewController);

  public:
    static inline const runtime::Message<void()> kReset{"performAnimatedSurfacePreferenceReset"};
    static inline const runtime::Message<void()> kBack{"handleBackPressed"};
    int resets = 0;
    int backs = 0;

  private:
    static void registerMethods(runtime::MethodList<CountingPage>& methods);
    void reset() { ++resets; }
    void back() { ++backs; }
};

// The chrome in a shown, full-screen window of the modern phone, on a manual clock at T0 with a
// fresh device root and preference store; the appearance is light unless a test switches it.
class ChromeTest : public SupportTest {
  protected:
    static constexpr double T0 = 1000;

    ChromeTest();
    ~ChromeTest() override;

    // Runs the main loop up to `seconds` after T0.
    void runUntilSeconds(double seconds);
    // The page as the window's root, loaded and shown.
    std::shared_ptr<CountingPage> showPage();
    // Taps the middle of the view, as the finger would.
    bool tap(const ui::View& view);
    static base::Point centerOnScreen(const ui::View& view);

    dispatch::ManualClock clock{T0};
    std::shared_ptr<ui::Window> window;
    ui::TouchSource& finger = ui::TouchSource::shared();
};

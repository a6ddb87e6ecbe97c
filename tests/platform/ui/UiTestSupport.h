#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/runtime/Hooks.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

// Tests on a manual clock at T0 with the main screen set to a profile; the main loop is drained
// and the modern phone profile restored afterwards.
class UiTest : public ::testing::Test {
  protected:
    static constexpr dispatch::Nanos T0 = 1000 * dispatch::kNanosPerSecond;

    void SetUp() override { ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false); }
    void TearDown() override {
        dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
        ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    }

    // Runs the main loop up to `seconds` after T0.
    void runUntilSeconds(double seconds) {
        dispatch::RunLoop::main().runUntil(T0 + dispatch::nanosFromSeconds(seconds));
    }

    dispatch::ManualClock clock{dispatch::secondsFromNanos(T0)};
};

// One process-wide log the traced classes write to, cleared by each test that reads it.
std::vector<std::string>& traceLog();

// A view that records the lifecycle callbacks it receives as "<name>:<callback>".
class TraceView : public ui::View {
    QV_OBJECT(TraceView, ui::View);

  public:
    explicit TraceView(std::string name = {}, const base::Rect& frame = {})
        : View(frame), name_(std::move(name)) {}
    static std::shared_ptr<TraceView> make(std::string name, const base::Rect& frame = {}) {
        return std::make_shared<TraceView>(std::move(name), frame);
    }
    const std::string& name() const { return name_; }
    int layoutCount = 0;

  private:
    static void registerMethods(runtime::MethodList<TraceView>& methods);
    void willMoveToWindowTrace(ui::Window* window);
    void didMoveToWindowTrace();
    void didMoveToSuperviewTrace();
    void layoutTrace();
    void traitsTrace(ui::TraitCollection previous);

    std::string name_;
};

// Stand-ins for classes a host registers under its own names.
class HostView : public ui::View {
    QV_OBJECT(HostView, ui::View);
};
class HostViewVariant : public HostView {
    QV_OBJECT(HostViewVariant, HostView);
};
class HostWallpaperWindow : public ui::Window {
    QV_OBJECT(HostWallpaperWindow, ui::Window);

  public:
    using Window::Window;
};

// Installs a replacement for the length of a test.
class ScopedHook {
  public:
    template <class R, class... A>
    ScopedHook(const char* className, runtime::SEL selector,
               R (*replacement)(runtime::Object*, runtime::SEL, A...),
               R (**previous)(runtime::Object*, runtime::SEL, A...))
        : cls_(runtime::lookUpClass(className)), selector_(selector) {
        installed_ = runtime::replaceMethod(cls_, selector, replacement, previous);
        if (installed_) previous_ = runtime::toImp(*previous);
    }
    ~ScopedHook() {
        if (installed_) runtime::replaceMethod(cls_, selector_, previous_);
    }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;
    bool installed() const { return installed_; }

  private:
    runtime::Class* cls_;
    runtime::SEL selector_;
    runtime::IMP previous_ = nullptr;
    bool installed_ = false;
};

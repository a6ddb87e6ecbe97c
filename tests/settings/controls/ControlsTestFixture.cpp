#include "tests/settings/controls/ControlsTestFixture.h"

#include <algorithm>

#include "glass/LGGlassContext.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/FeedbackGenerator.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Screen.h"

void GlassControlsTest::SetUp() {
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    ASSERT_TRUE(LGGlassContextEnsure()) << "no GPU context";
    ui::ImpactFeedbackGenerator::clearRecordedImpacts();
    window = ui::Window::create(ui::Screen::main()->bounds());
    window->makeKeyAndVisible();
}

void GlassControlsTest::TearDown() {
    if (finger.isTouching()) finger.touchCancel();
    if (window) window->setHidden(true);
    window.reset();
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
}

double GlassControlsTest::elapsed() const {
    return dispatch::now() - T0;
}

void GlassControlsTest::runUntilSeconds(double seconds) {
    dispatch::RunLoop::main().runUntil(dispatch::nanosFromSeconds(T0 + seconds));
}

void GlassControlsTest::frames(int n) {
    ui::testing::runFrames(n);
}

void ControlEventLog::attach(ui::Control& control) {
    static const std::pair<ui::ControlEvents, const char*> kNames[] = {
        {ui::ControlEvents::TouchDown, "down"},
        {ui::ControlEvents::TouchUpInside, "upInside"},
        {ui::ControlEvents::TouchUpOutside, "upOutside"},
        {ui::ControlEvents::TouchCancel, "cancel"},
        {ui::ControlEvents::ValueChanged, "changed"},
    };
    for (const auto& [event, name] : kNames) {
        std::string n = name;
        control.addAction(
            ui::Action::create(n, nullptr, [this, n](ui::Action&) { names.push_back(n); }), event);
    }
}

int ControlEventLog::count(const std::string& name) const {
    return int(std::count(names.begin(), names.end(), name));
}

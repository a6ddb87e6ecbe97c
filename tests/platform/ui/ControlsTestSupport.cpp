#include "ControlsTestSupport.h"

#include "platform/ui/Menu.h"
#include "platform/ui/Screen.h"

QV_DEFINE_CLASS(ActionCounter, "QVTestActionCounter");
QV_DEFINE_CLASS(TraceSlider, "QVTestTraceSlider");

void ActionCounter::registerMethods(runtime::MethodList<ActionCounter>& methods) {
    methods.add<&ActionCounter::onChanged>(kChanged).add<&ActionCounter::onTapped>(kTapped);
}

void TraceSlider::registerMethods(runtime::MethodList<TraceSlider>& methods) {
    methods.add<&TraceSlider::begin>(kBeginTracking)
        .add<&TraceSlider::more>(kContinueTracking)
        .add<&TraceSlider::end>(kEndTracking)
        .add<&TraceSlider::cancel>(kCancelTracking);
}

void EventLog::attach(ui::Control& control) {
    static const std::pair<ui::ControlEvents, const char*> kNames[] = {
        {ui::ControlEvents::TouchDown, "down"},
        {ui::ControlEvents::TouchDragExit, "exit"},
        {ui::ControlEvents::TouchDragEnter, "enter"},
        {ui::ControlEvents::TouchUpInside, "upInside"},
        {ui::ControlEvents::TouchUpOutside, "upOutside"},
        {ui::ControlEvents::TouchCancel, "cancel"},
        {ui::ControlEvents::ValueChanged, "changed"},
        {ui::ControlEvents::PrimaryActionTriggered, "primary"},
    };
    for (const auto& [event, name] : kNames) {
        std::string n = name;
        control.addAction(
            ui::Action::create(n, nullptr, [this, n](ui::Action&) { names.push_back(n); }), event);
    }
}

int EventLog::count(const std::string& name) const {
    return int(std::count(names.begin(), names.end(), name));
}

void ControlsTest::SetUp() {
    UiTest::SetUp();
    window = ui::Window::create(ui::Screen::main()->bounds());
    window->makeKeyAndVisible();
}

void ControlsTest::TearDown() {
    if (finger.isTouching()) finger.touchCancel();
    window->setHidden(true);
    window.reset();
    UiTest::TearDown();
}

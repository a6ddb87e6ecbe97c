#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/ui/Control.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TouchSource.h"

// A target whose action methods count their calls: one takes the sender, one takes nothing.
class ActionCounter : public runtime::Object {
    QV_OBJECT(ActionCounter, runtime::Object);

  public:
    static inline const runtime::Message<void(runtime::Object*)> kChanged{"valueChanged:"};
    static inline const runtime::Message<void()> kTapped{"tapped"};
    int changed = 0;
    int tapped = 0;
    runtime::Object* lastSender = nullptr;

  private:
    static void registerMethods(runtime::MethodList<ActionCounter>& methods);
    void onChanged(runtime::Object* sender) {
        ++changed;
        lastSender = sender;
    }
    void onTapped() { ++tapped; }
};

// A slider that logs its tracking calls before running the stock ones.
class TraceSlider : public ui::Slider {
    QV_OBJECT(TraceSlider, ui::Slider);

  public:
    using Slider::Slider;
    std::vector<std::string> calls;

  private:
    static void registerMethods(runtime::MethodList<TraceSlider>& methods);
    bool begin(ui::Touch* t, ui::Event* e) {
        calls.push_back("begin");
        return kBeginTracking.sendSuper(this, t, e);
    }
    bool more(ui::Touch* t, ui::Event* e) {
        calls.push_back("continue");
        return kContinueTracking.sendSuper(this, t, e);
    }
    void end(ui::Touch* t, ui::Event* e) {
        calls.push_back("end");
        kEndTracking.sendSuper(this, t, e);
    }
    void cancel(ui::Event* e) {
        calls.push_back("cancel");
        kCancelTracking.sendSuper(this, e);
    }
};

// Records which control events a control sent, by name, in order.
struct EventLog {
    std::vector<std::string> names;
    void attach(ui::Control& control);
    int count(const std::string& name) const;
};

// A shown, full-screen window for touch tests.
class ControlsTest : public UiTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Moves the clock a little, then lays out and draws (a frame).
    void step() { ui::testing::runFrames(1); }

    std::shared_ptr<ui::Window> window;
    ui::TouchSource& finger = ui::TouchSource::shared();
};

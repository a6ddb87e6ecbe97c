#include "hosts/quorvane/ControlsCommand.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "glass/LGGlassContext.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/TouchSource.h"
#include "platform/ui/Window.h"
#include "settings/controls/QVQuorvaneLiquidSlider.h"
#include "settings/controls/QVQuorvaneLiquidSwitch.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr char kUsageText[] =
    "usage: quorvane controls [options]\n"
    "  --output-dir DIR   folder for the frames, made when missing (default: out/controls);\n"
    "                     earlier frames in it are replaced\n"
    "  --every N          write every N-th screen refresh, 1-60 (default: 3)\n"
    "  --dark             dark appearance\n"
    "  -h, --help         show this text\n";

struct Options {
    std::string outputDir = "out/controls";
    int every = 3;
    bool dark = false;
};

// Steps the manual clock refresh by refresh and writes every n-th picture of the window.
class FrameRecorder {
  public:
    FrameRecorder(ui::Window& window, const Options& options)
        : window_(window), options_(options) {}

    // Runs `refreshes` screen refreshes.
    bool run(int refreshes) {
        for (int i = 0; i < refreshes; ++i) {
            ui::testing::runFrames(1);
            if (refresh_++ % options_.every == 0 && !write()) return false;
        }
        return true;
    }
    int written() const { return written_; }
    const std::string& failure() const { return failure_; }

  private:
    bool write() {
        window_.layoutIfNeeded();
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.png", written_);
        const std::string path = (std::filesystem::path(options_.outputDir) / name).string();
        if (!ui::writeViewPNG(window_, 0, path, &failure_)) {
            failure_ = path + ": " + failure_;
            return false;
        }
        ++written_;
        return true;
    }

    ui::Window& window_;
    const Options& options_;
    int refresh_ = 0;
    int written_ = 0;
    std::string failure_;
};

// A finger moving in a straight line over `refreshes` screen refreshes.
void glide(FrameRecorder& recorder, base::Point from, base::Point to, int refreshes) {
    ui::TouchSource& finger = ui::TouchSource::shared();
    for (int i = 1; i <= refreshes; ++i) {
        const double t = double(i) / refreshes;
        finger.touchMove({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
        recorder.run(1);
    }
}

}  // namespace

int runControlsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            out << kUsageText;
            return kOk;
        }
        if (a == "--dark") {
            o.dark = true;
        } else if (a == "--output-dir" && i + 1 < args.size() && !args[i + 1].empty()) {
            o.outputDir = args[++i];
        } else if (a == "--every" && i + 1 < args.size()) {
            const std::string& v = args[++i];
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), o.every);
            if (ec != std::errc() || end != v.data() + v.size() || o.every < 1 || o.every > 60) {
                err << kUsageText << "quorvane controls: --every needs a whole number 1-60\n";
                return kUsage;
            }
        } else {
            err << kUsageText << "quorvane controls: unexpected argument '" << a << "'\n";
            return kUsage;
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(o.outputDir, ec);
    if (!std::filesystem::is_directory(o.outputDir)) {
        err << "quorvane controls: cannot make the folder " << o.outputDir << "\n";
        return kFailed;
    }

    // Pass 1: the manual clock and a phone screen, so every run draws the same frames.
    dispatch::ManualClock clock;
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    if (!LGGlassContextEnsure()) {
        err << "quorvane controls: no GPU; the thumbs stay plain\n";
    }

    // Pass 2: a small window holding one slider and one switch, like a row of the page.
    auto window = ui::Window::create({0, 0, 320, 140});
    window->setOverrideUserInterfaceStyle(o.dark ? ui::UserInterfaceStyle::Dark
                                                 : ui::UserInterfaceStyle::Light);
    window->setBackgroundColor(ui::colors::secondarySystemGroupedBackground());
    auto slider = QVQuorvaneLiquidSlider::create({24, 20, 272, 44});
    slider->setMinimumValue(0);
    slider->setMaximumValue(50);
    slider->setValue(15);
    slider->setMinimumTrackTintColor(ui::colors::systemBlue());
    auto toggle = QVQuorvaneLiquidSwitch::create({128, 90, 0, 0});
    toggle->setOnTintColor(ui::colors::systemGreen());
    window->addSubview(slider);
    window->addSubview(toggle);
    window->makeKeyAndVisible();
    FrameRecorder recorder(*window, o);
    ui::TouchSource& finger = ui::TouchSource::shared();

    // Pass 3: the script, in screen refreshes (60 a second).
    const auto sliderPoint = [&](double value) {
        return base::Point{24 + slider->thumbCenterXForValue(value), 42};
    };
    const base::Point switchOff{128 + toggle->minimumThumbCenterX(), 104};
    const base::Point switchOn{128 + toggle->maximumThumbCenterX(), 104};
    bool ok = recorder.run(6);
    // The slider: grab, drag to 40 quickly, on past the end, back to 30, let go.
    finger.touchDown(sliderPoint(15));
    ok = ok && recorder.run(8);
    glide(recorder, sliderPoint(15), sliderPoint(40), 12);
    glide(recorder, sliderPoint(40), {sliderPoint(50).x + 60, 42}, 18);
    ok = ok && recorder.run(10);
    glide(recorder, {sliderPoint(50).x + 60, 42}, sliderPoint(30), 24);
    finger.touchUp(sliderPoint(30));
    ok = ok && recorder.run(40);
    // The switch: a tap turns it on; then a drag takes it back off.
    finger.touchDown(switchOff);
    ok = ok && recorder.run(4);
    finger.touchUp(switchOff);
    ok = ok && recorder.run(50);
    finger.touchDown(switchOn);
    ok = ok && recorder.run(12);
    glide(recorder, switchOn, {switchOff.x - 12, switchOff.y}, 16);
    finger.touchUp({switchOff.x - 12, switchOff.y});
    ok = ok && recorder.run(50);

    if (!ok || !recorder.failure().empty()) {
        err << "quorvane controls: cannot write " << recorder.failure() << "\n";
        return kFailed;
    }
    char summary[96];
    std::snprintf(summary, sizeof summary, "slider %.2f, switch %s", slider->value(),
                  toggle->isOn() ? "on" : "off");
    out << "wrote " << recorder.written() << " frames to " << o.outputDir << " (" << summary
        << ")\n";
    window->setHidden(true);
    return kOk;
}

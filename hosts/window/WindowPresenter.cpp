#include "hosts/window/WindowPresenter.h"

#include <SDL.h>
#include <signal.h>

#include <cmath>
#include <csignal>
#include <cstdio>

#include "hosts/scene/SnapshotFile.h"
#include "hosts/scene/ViewTreeDescription.h"
#include "hosts/window/DisplayConnection.h"
#include "platform/base/DeviceRoot.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/RunLoopItems.h"
#include "platform/dispatch/Time.h"
#include "platform/graphics/ImageFile.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayerTreeVersion.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"

namespace {

// The poll's two paces: a person's input wants an answer within a frame; a quiet screen only
// needs the clock's occasional frame shown within a tenth of a second, and the first event of a
// gesture waits no longer than that.
constexpr dispatch::Nanos kActiveInterval = 16'666'667;
constexpr dispatch::Nanos kIdleInterval = 100'000'000;
// How long after the last input the poll keeps the active pace.
constexpr dispatch::Nanos kActiveAfterInput = 500'000'000;
constexpr int kMaxWindowSide = 16384;

volatile std::sig_atomic_t gSaveRequested = 0;

void requestSave(int) {
    gSaveRequested = 1;
}

void mix(std::uint64_t& hash, std::uint64_t value) {
    hash ^= value + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2);
}

// Equal numbers mean the compositor would draw the same screen again.
std::uint64_t screenVersion() {
    std::uint64_t hash = 0;
    for (const auto& window : ui::Window::allWindows()) {
        mix(hash, reinterpret_cast<std::uintptr_t>(window.get()));
        mix(hash, window->isHidden());
        if (!window->isHidden()) mix(hash, ui::layerTreeVersion(*window->layer()));
    }
    return hash;
}

}  // namespace

void WindowPresenter::prepareProcess() {
    std::signal(SIGUSR2, SIG_IGN);
}

WindowPresenter::WindowPresenter(const Configuration& configuration)
    : configuration_(configuration), pointer_(configuration.options.scale) {}

std::unique_ptr<WindowPresenter> WindowPresenter::create(const Configuration& configuration,
                                                         std::string& error) {
    const double scale = configuration.options.scale;
    const double width = std::round(configuration.pointWidth * scale);
    const double height = std::round(configuration.pointHeight * scale);
    if (!std::isfinite(width) || !std::isfinite(height) || width < 1 || height < 1 ||
        width > kMaxWindowSide || height > kMaxWindowSide) {
        error = "the window would be " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels; no window can be made that size";
        return nullptr;
    }
    if (!scene::isSnapshotFileName(configuration.frameName + ".png")) {
        error = "\"" + configuration.frameName + "\" cannot name a frame file";
        return nullptr;
    }

    std::unique_ptr<WindowPresenter> presenter(new WindowPresenter(configuration));
    presenter->display_ = DisplayConnection::open(error);
    if (!presenter->display_) return nullptr;
    const auto& options = configuration.options;
    presenter->window_ = SDL_CreateWindow(configuration.title.c_str(),
                                          options.x ? *options.x : int(SDL_WINDOWPOS_UNDEFINED),
                                          options.y ? *options.y : int(SDL_WINDOWPOS_UNDEFINED),
                                          int(width), int(height), SDL_WINDOW_SHOWN);
    if (!presenter->window_) {
        error = "cannot open a window on the " + DisplayConnection::describeDisplay() + ": " +
                SDL_GetError();
        return nullptr;
    }
    SDL_StartTextInput();

    struct sigaction action {};
    action.sa_handler = requestSave;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGUSR2, &action, nullptr);

    // The timer holds the presenter weakly in spirit: the presenter invalidates it before it
    // goes, so the raw pointer never outlives it.
    WindowPresenter* self = presenter.get();
    presenter->timer_ = dispatch::RunLoopTimer::create(
        dispatch::nowNanos(), kIdleInterval,
        [self](dispatch::RunLoopTimer&, dispatch::Nanos) { self->tick(); });
    dispatch::RunLoop::main().addTimer(presenter->timer_, dispatch::Mode::Common);
    return presenter;
}

WindowPresenter::~WindowPresenter() {
    if (timer_) timer_->invalidate();
    pointer_.cancel();
    if (window_) SDL_DestroyWindow(window_);
    // display_ goes last, after its window.
}

void WindowPresenter::tick() {
    // Pass 1: everything the window received since the last poll, in order.
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle(event);
    pointer_.flush();
    if (closed_) return;

    // Pass 2: the picture, when the host drew.
    const bool presented = presentIfChanged();

    // Pass 3: a frame asked for from outside is the one just shown.
    if (gSaveRequested) {
        gSaveRequested = 0;
        saveFrame();
    }

    // Pass 4: the pace of the next poll. Frames that follow each other (an animation) and recent
    // input keep it quick; otherwise it slows down.
    const bool recentInput =
        pointer_.isDown() || dispatch::nowNanos() - lastInputNanos_ < kActiveAfterInput;
    const dispatch::Nanos interval = presented || recentInput ? kActiveInterval : kIdleInterval;
    if (timer_->interval() != interval) {
        // The loop already set the next firing on the old pace; move it to the new one.
        timer_->setInterval(interval);
        timer_->setFireTime(dispatch::nowNanos() + interval);
    }
}

void WindowPresenter::handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            closed_ = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) closed_ = true;
            // What the window showed may be gone after it was covered.
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED && lastFrame_) show(lastFrame_);
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) pointer_.cancel();
            break;
        case SDL_MOUSEBUTTONDOWN:
            // A click gives the window the keyboard, as desktops do; on a bare X server
            // without a window manager nothing else would.
            SDL_SetWindowInputFocus(window_);
            if (event.button.button != SDL_BUTTON_LEFT) break;
            lastInputNanos_ = dispatch::nowNanos();
            pointer_.press(event.button.x, event.button.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button != SDL_BUTTON_LEFT) break;
            lastInputNanos_ = dispatch::nowNanos();
            pointer_.release(event.button.x, event.button.y);
            break;
        case SDL_MOUSEMOTION:
            if (!pointer_.isDown()) break;
            lastInputNanos_ = dispatch::nowNanos();
            pointer_.move(event.motion.x, event.motion.y);
            break;
        case SDL_TEXTINPUT:
            lastInputNanos_ = dispatch::nowNanos();
            if (auto field = ui::TextField::firstResponder()) {
                pointer_.flush();
                field->insertText(event.text.text);
            }
            break;
        case SDL_KEYDOWN:
            lastInputNanos_ = dispatch::nowNanos();
            pointer_.flush();
            handleKey(event);
            break;
        default:
            break;
    }
    if (closed_) dispatch::RunLoop::main().stop();
}

void WindowPresenter::handleKey(const SDL_Event& event) {
    const SDL_Keycode key = event.key.keysym.sym;
    if (key == SDLK_F12) {
        if (!event.key.repeat) saveFrame();
        return;
    }
    if (auto field = ui::TextField::firstResponder()) {
        // Printable keys arrive again as text input; only editing keys act here.
        if (key == SDLK_BACKSPACE) field->deleteBackward();
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_ESCAPE) {
            field->resignFirstResponder();
        }
        return;
    }
    if (keyHandler_) keyHandler_(SDL_GetKeyName(key));
}

bool WindowPresenter::presentIfChanged() {
    for (const auto& window : ui::Window::allWindows()) {
        if (!window->isHidden()) window->layoutIfNeeded();
    }
    const std::uint64_t version = screenVersion();
    if (lastFrame_ && version == lastVersion_) return false;
    auto frame = ui::renderScreenImage(configuration_.options.scale);
    if (!frame) return false;
    lastVersion_ = version;
    show(frame);
    lastFrame_ = std::move(frame);
    // From here on F12 and SIGUSR2 have a frame to write; whoever drives the host waits for
    // this line before asking.
    if (++presentedFrames_ == 1) {
        std::printf("%s: window shown\n", configuration_.program.c_str());
        std::fflush(stdout);
    }
    return true;
}

void WindowPresenter::show(const graphics::ImageRef& frame) {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    // The frame's pixels are premultiplied BGRA in memory: ARGB8888 words. Shown over nothing,
    // a premultiplied pixel is already the colour it shows over black.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(frame->pixels()), frame->pixelWidth(), frame->pixelHeight(), 32,
        int(frame->bytesPerRow()), SDL_PIXELFORMAT_ARGB8888);
    if (!source) return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window_);
}

void WindowPresenter::saveFrame() {
    const std::string& directory = configuration_.outputDirectory;
    const std::string png = configuration_.frameName + ".png";
    std::string error;
    if (!lastFrame_) {
        std::fprintf(stderr, "%s: no frame has been shown yet\n", configuration_.program.c_str());
        return;
    }
    if (!base::makeDirectories(directory)) {
        std::fprintf(stderr, "%s: cannot make the output folder %s\n",
                     configuration_.program.c_str(), directory.c_str());
        return;
    }
    // The description goes first: whoever waits for the picture then finds both.
    const std::string trees =
        scene::describeWindows() + "window-frames-shown=" + std::to_string(presentedFrames_) + "\n";
    if (!scene::writeSceneTextFile(directory, configuration_.frameName + ".txt", trees, error)) {
        std::fprintf(stderr, "%s: %s\n", configuration_.program.c_str(), error.c_str());
        return;
    }
    std::string reason;
    if (!graphics::writePNGFile(*lastFrame_, directory + "/" + png, &reason)) {
        std::fprintf(stderr, "%s: cannot write %s/%s: %s\n", configuration_.program.c_str(),
                     directory.c_str(), png.c_str(), reason.c_str());
        return;
    }
    std::printf("%s: wrote %s/%s\n", configuration_.program.c_str(), directory.c_str(),
                png.c_str());
    std::fflush(stdout);
}

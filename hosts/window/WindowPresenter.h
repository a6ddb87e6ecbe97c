#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hosts/window/WindowOptions.h"
#include "hosts/window/WindowPointer.h"
#include "platform/graphics/Image.h"

struct SDL_Window;
union SDL_Event;

namespace dispatch {
class RunLoopTimer;
}
class DisplayConnection;

// Shows a host's screen in a desktop window while the host runs on the real clock.
//
// A timer on the main run loop (in every mode, so it keeps going while a touch tracks) polls the
// window's events and then, only when the host drew something since the last look (the layer
// trees of its windows changed: a view changed or a GPU surface presented a frame), composes the
// windows with the platform's compositor at the window's scale and shows the picture. A quiet
// host therefore costs a poll of the event queue and a walk of the layer trees ten times a
// second; while input arrives or frames follow each other the poll runs at sixty.
//
// Input: the left mouse button and the motion while it is held are one finger on the screen
// (ui::TouchSource); typed text and Backspace go to the text field that has the focus (Return or
// Escape ends its editing); other keys go to the key handler while no field has the focus. F12,
// or SIGUSR2 sent to the process, writes the last frame shown as "<frame name>.png" and the view
// trees, with a last line counting the frames shown ("window-frames-shown=N"), as
// "<frame name>.txt" into the output folder. The first frame shown prints
// "<program>: window shown" on stdout.
//
// Main thread only; one presenter per process.
class WindowPresenter {
  public:
    struct Configuration {
        // The host's name, which starts the lines it prints ("homescreen").
        std::string program;
        std::string title;
        WindowOptions options;
        // The device screen's size in points; the window is this times the window scale.
        double pointWidth = 0;
        double pointHeight = 0;
        std::string outputDirectory = ".";
        // A plain file name without extension, e.g. "lockscreen-window".
        std::string frameName = "window";
    };
    // Called with SDL's name of the key ("Left", "PageUp", "N").
    using KeyHandler = std::function<void(const std::string& keyName)>;

    // The presenter with its window shown and its timer on the main loop, or nullptr with
    // `error` set to one line: no display, the display cannot be reached, the window cannot be
    // made, or the configuration is unusable.
    static std::unique_ptr<WindowPresenter> create(const Configuration& configuration,
                                                   std::string& error);
    // Called first thing by a host that will show a window: a SIGUSR2 that arrives before the
    // window exists is ignored instead of ending the process, as the signal does by default.
    static void prepareProcess();
    ~WindowPresenter();

    WindowPresenter(const WindowPresenter&) = delete;
    WindowPresenter& operator=(const WindowPresenter&) = delete;

    void setKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }

    // Whether the person closed the window. The presenter also stops the main loop's current
    // run then, so a host waiting in it notices at once.
    bool isClosed() const { return closed_; }
    std::uint64_t presentedFrameCount() const { return presentedFrames_; }

  private:
    explicit WindowPresenter(const Configuration& configuration);

    void tick();
    void handle(const SDL_Event& event);
    void handleKey(const SDL_Event& event);
    // Composes and shows the screen when its picture changed since the last frame shown.
    // Returns whether it showed a new frame.
    bool presentIfChanged();
    void show(const graphics::ImageRef& frame);
    void saveFrame();

    Configuration configuration_;
    std::unique_ptr<DisplayConnection> display_;
    SDL_Window* window_ = nullptr;
    std::shared_ptr<dispatch::RunLoopTimer> timer_;
    WindowPointer pointer_;
    KeyHandler keyHandler_;
    graphics::ImageRef lastFrame_;
    std::uint64_t lastVersion_ = 0;
    std::uint64_t presentedFrames_ = 0;
    // Media time of the last input event, for the poll's pace.
    std::int64_t lastInputNanos_ = 0;
    bool closed_ = false;
};

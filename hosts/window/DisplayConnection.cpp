#include "hosts/window/DisplayConnection.h"

#include <SDL.h>

#include <cstdlib>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

std::string DisplayConnection::describeDisplay() {
    if (const std::string x11 = environment("DISPLAY"); !x11.empty()) {
        return "X11 display " + x11;
    }
    if (const std::string wayland = environment("WAYLAND_DISPLAY"); !wayland.empty()) {
        return "Wayland display " + wayland;
    }
    return "no display";
}

std::unique_ptr<DisplayConnection> DisplayConnection::open(std::string& error) {
    const bool x11 = !environment("DISPLAY").empty();
    const bool wayland = !environment("WAYLAND_DISPLAY").empty();
    if (!x11 && !wayland) {
        error = "no display to show windows on: neither DISPLAY nor WAYLAND_DISPLAY is set";
        return nullptr;
    }
    // Without a named driver SDL would go on to a console or off-screen driver when the desktop
    // is out of reach, and a preview nobody can see would look like a hang. An SDL_VIDEODRIVER
    // in the environment still wins over this default.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, x11 ? "x11" : "wayland", SDL_HINT_DEFAULT);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Windows show finished frames from the compositor: the desktop's own framebuffer (shared
    // memory on X11) is all they need. Left to choose, SDL probes OpenGL for the window
    // surface, which a display without a usable GLX stops the process for.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A desktop's screen saver has no reason to stay off while a preview is open.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = "cannot reach the " + describeDisplay() + ": " + SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    return std::unique_ptr<DisplayConnection>(new DisplayConnection());
}

DisplayConnection::~DisplayConnection() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

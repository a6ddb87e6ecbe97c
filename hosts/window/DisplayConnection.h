#pragma once

#include <memory>
#include <string>

// The desktop's display, reached through SDL's video subsystem. A process holds at most one;
// windows are made while it is open.
class DisplayConnection {
  public:
    // The connection, or nullptr with `error` set to one line saying why: no display is named
    // (neither DISPLAY nor WAYLAND_DISPLAY is set), or the named one cannot be reached. SDL is
    // told to leave the process's signal handlers alone: the hosts stop on SIGINT and SIGTERM
    // themselves.
    static std::unique_ptr<DisplayConnection> open(std::string& error);
    ~DisplayConnection();

    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;

    // "X11 display :99", "Wayland display wayland-0": the display named by the environment.
    static std::string describeDisplay();

  private:
    DisplayConnection() = default;
};

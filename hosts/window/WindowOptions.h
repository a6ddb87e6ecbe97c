#pragma once

#include <optional>
#include <string>
#include <vector>

// The options with which a host shows its screen in a desktop window instead of only running
// headless. Both hosts take the same ones, so `quorvane preview` can start either the same way.
struct WindowOptions {
    bool enabled = false;
    // Window pixels per point of the device's screen.
    double scale = 1.0;
    // Where the window's top-left corner goes on the desktop; unset lets the desktop choose.
    std::optional<int> x;
    std::optional<int> y;
    // Which of them the command line gave: each may be given once, and they mean nothing
    // without `enabled`.
    bool scaleGiven = false;
    bool positionGiven = false;
    bool placementGiven() const { return scaleGiven || positionGiven; }
};

inline constexpr double kMinWindowScale = 0.25;
inline constexpr double kMaxWindowScale = 4.0;

// The lines the hosts' usage texts show for these options: a literal, so that each host's
// usage text stays one constant.
#define QV_WINDOW_OPTIONS_USAGE                                                                   \
    "  --window              show the screen in a desktop window and stay up on the real clock\n" \
    "                        until the window is closed or the host is interrupted; F12 or\n"     \
    "                        SIGUSR2 writes the window's last frame and view trees into the\n"    \
    "                        output folder\n"                                                     \
    "  --window-scale S      window pixels per point, 0.25 to 4 (default 1)\n"                    \
    "  --window-position X,Y where the window's top-left corner goes on the desktop\n"

enum class WindowOptionParse { NotMine, Taken, Invalid };

// Looks at args[i]: a window option is taken (with its value, advancing `i` past it) into
// `options`; an invalid value or a missing one gives Invalid with `error` naming what was wrong.
// Anything else is NotMine and leaves `i` alone.
WindowOptionParse takeWindowOption(const std::vector<std::string>& args, std::size_t& i,
                                   WindowOptions& options, std::string& error);

// A window scale from the command line: a plain decimal number from kMinWindowScale to
// kMaxWindowScale; nullopt for anything else.
std::optional<double> parseWindowScale(const std::string& text);

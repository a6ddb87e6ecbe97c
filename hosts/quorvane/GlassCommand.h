#pragma once

#include <ostream>
#include <string>
#include <vector>

// `quorvane glass`: renders a piece of glass over a wallpaper, on the GPU, the way the lock-screen
// clock draws it, and writes the screen as a PNG. On its defaults the glass is shaped like the
// text "9:41" in the clock's variable font and lies where the clock sits, over the built-in
// wallpaper, with the clock's default glass settings.
//
//   glass [--output FILE] [--wallpaper FILE] [--text TEXT | --rounded-rect] [--crop]
//         [--bezel-width PT] [--thickness T] [--refraction-scale S] [--index N]
//         [--specular-opacity O] [--blur PT] [--corner-radius PT] [--font FILE]
//         [--weight W] [--width W] [--height H] [--softness S] [--device PROFILE]
//
// The device root is where the installed clock font is looked for first. Returns the process exit
// status: 0 when the PNG was written, 1 when there is no GPU or a file cannot be read or written,
// 2 for bad usage.
int runGlassCommand(const std::vector<std::string>& args, const std::string& deviceRoot,
                    std::ostream& out, std::ostream& err);

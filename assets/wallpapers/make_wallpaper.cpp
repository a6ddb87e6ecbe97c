// Writes the default wallpaper as a PNG: make_wallpaper <output.png> [width height scale].
// The build runs it to place the wallpaper in the device tree.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/wallpapers/QuorvaneWallpaper.h"
#include "platform/graphics/ImageFile.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: make_wallpaper <output.png> [width height scale]\n");
        return 2;
    }
    const int width = argc == 5 ? std::atoi(argv[2]) : 1179;
    const int height = argc == 5 ? std::atoi(argv[3]) : 2556;
    const double scale = argc == 5 ? std::atof(argv[4]) : 3.0;
    auto image = QVMakeDefaultWallpaper(width, height, scale);
    if (!image) {
        std::fprintf(stderr, "make_wallpaper: bad size %d x %d at %g\n", width, height, scale);
        return 2;
    }
    std::string reason;
    if (!graphics::writePNGFile(*image, argv[1], &reason)) {
        std::fprintf(stderr, "make_wallpaper: %s\n", reason.c_str());
        return 1;
    }
    return 0;
}

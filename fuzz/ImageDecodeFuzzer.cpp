// PNG and JPEG decoding: wallpapers come from the user.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/graphics/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string reason;
    auto image = graphics::decodeImage(std::span(data, size), &reason);
    if (!image) {
        // Every refusal says why.
        if (reason.empty()) std::abort();
        return 0;
    }
    // Touch the first and the last pixel: the whole bitmap must be there.
    (void)image->pixelAt(0, 0);
    (void)image->pixelAt(image->pixelWidth() - 1, image->pixelHeight() - 1);
    return 0;
}

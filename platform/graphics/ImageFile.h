#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"

namespace graphics {

// Image files: PNG and JPEG in, PNG out.
//
// Readers return nullptr when the file cannot be read, is not a regular file (it is opened
// without blocking, so a FIFO never hangs the reader), is neither PNG nor JPEG, or does not
// decode completely (a truncated or damaged file is refused, never shown half grey); `reason`,
// when given, then receives a sentence saying which. A JPEG's camera
// orientation tag becomes the image's orientation; PNG images are always "up". Files without
// alpha give opaque images.
std::shared_ptr<const Image> readImageFile(const std::string& path, std::string* reason = nullptr,
                                           double scale = 1.0);
std::shared_ptr<const Image> decodeImage(std::span<const uint8_t> bytes,
                                         std::string* reason = nullptr, double scale = 1.0);

// PNG of the image as shown (its orientation applied), straight (not premultiplied) alpha.
// Empty when encoding fails, with `reason` set.
std::optional<std::vector<uint8_t>> encodePNG(const Image& image, std::string* reason = nullptr);
// Writes the PNG beside the target and renames it into place, so a reader never sees half a
// file. An existing regular file at `path` is replaced; anything else there (a symbolic link, a
// device, a FIFO, a directory) is refused and left alone. False with `reason` set when it cannot.
bool writePNGFile(const Image& image, const std::string& path, std::string* reason = nullptr);

}  // namespace graphics

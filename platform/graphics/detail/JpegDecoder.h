#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/graphics/Image.h"

namespace graphics::detail {

// Decodes baseline or progressive JPEG (grey, YCbCr, CMYK) into an opaque image, its orientation
// taken from the Exif tag. nullptr with `reason` set on any libjpeg error.
std::shared_ptr<const Image> decodeJpeg(std::span<const uint8_t> bytes, double scale,
                                        std::string* reason);

// The orientation tag (1…8) of an Exif block (the APP1 payload after its "Exif\0\0" header), or
// 0 when there is none or the block is malformed.
int exifOrientation(std::span<const uint8_t> tiff);

}  // namespace graphics::detail

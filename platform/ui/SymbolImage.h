#pragma once

#include <string_view>

#include "platform/base/Color.h"
#include "platform/graphics/Image.h"

namespace ui {

// System symbol images ("UIImage systemImageNamed:"), drawn from the icon font Debian packages
// (fonts-material-design-icons-iconfont). They are template images: image views and buttons show
// them in their tint colour.
//
// Known names: "chevron.right", "chevron.left", "chevron.down", "chevron.up", "checkmark",
// "xmark", "xmark.circle.fill". nullptr for another name, a point size that is not positive and
// finite, or when the icon font is not installed (reported once).
graphics::ImageRef systemImage(std::string_view name, double pointSize = 17);

// Whether the image is drawn in its viewer's tint colour rather than its own.
bool isTemplateImage(const graphics::ImageRef& image);
// Marks an image as a template (for images made elsewhere).
void markAsTemplate(const graphics::ImageRef& image);

// The image's shape filled with the colour (its alpha kept); nullptr when no context could be made.
graphics::ImageRef tintedImage(const graphics::Image& image, const base::Color& color);

}  // namespace ui

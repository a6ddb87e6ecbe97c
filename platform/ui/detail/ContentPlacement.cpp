#include "platform/ui/detail/ContentPlacement.h"

#include <algorithm>

namespace ui::detail {

base::Rect placeContent(base::Size size, const base::Rect& bounds, ContentMode mode) {
    const base::Rect b = bounds.standardized();
    if (!(size.width > 0) || !(size.height > 0)) return b;
    const auto centred = [&](double w, double h) {
        return base::Rect{b.midX() - w / 2, b.midY() - h / 2, w, h};
    };
    const double w = size.width, h = size.height;
    switch (mode) {
        case ContentMode::ScaleToFill:
        case ContentMode::Redraw:
            return b;
        case ContentMode::ScaleAspectFit: {
            const double s = std::min(b.width() / w, b.height() / h);
            return centred(w * s, h * s);
        }
        case ContentMode::ScaleAspectFill: {
            const double s = std::max(b.width() / w, b.height() / h);
            return centred(w * s, h * s);
        }
        case ContentMode::Center:
            return centred(w, h);
        case ContentMode::Top:
            return {b.midX() - w / 2, b.minY(), w, h};
        case ContentMode::Bottom:
            return {b.midX() - w / 2, b.maxY() - h, w, h};
        case ContentMode::Left:
            return {b.minX(), b.midY() - h / 2, w, h};
        case ContentMode::Right:
            return {b.maxX() - w, b.midY() - h / 2, w, h};
        case ContentMode::TopLeft:
            return {b.minX(), b.minY(), w, h};
        case ContentMode::TopRight:
            return {b.maxX() - w, b.minY(), w, h};
        case ContentMode::BottomLeft:
            return {b.minX(), b.maxY() - h, w, h};
        case ContentMode::BottomRight:
            return {b.maxX() - w, b.maxY() - h, w, h};
    }
    return b;
}

}  // namespace ui::detail

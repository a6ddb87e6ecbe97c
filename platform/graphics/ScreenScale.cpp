#include "platform/graphics/ScreenScale.h"

#include <atomic>
#include <cmath>

namespace graphics {

namespace {
std::atomic<double> gMainScreenScale{3.0};
}

void setMainScreenScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0) return;
    gMainScreenScale.store(scale, std::memory_order_relaxed);
}

double mainScreenScale() {
    return gMainScreenScale.load(std::memory_order_relaxed);
}

}  // namespace graphics

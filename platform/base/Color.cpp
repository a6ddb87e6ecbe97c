#include "platform/base/Color.h"

#include <algorithm>
#include <cstdio>

namespace base {

struct Color::Dynamic {
    Color light;
    Color dark;
};

namespace {
double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}
}  // namespace

Color::Color(double red, double green, double blue, double alpha)
    : red_(clamp01(red)), green_(clamp01(green)), blue_(clamp01(blue)), alpha_(clamp01(alpha)) {}

Color Color::white(double level, double alpha) {
    Color c(level, level, level, alpha);
    c.whiteBased_ = true;
    return c;
}

Color Color::dynamic(const Color& light, const Color& dark) {
    // The dynamic colour reports its light appearance until it is resolved.
    Color c = light.resolved(false);
    c.dynamic_ = std::make_shared<const Dynamic>(Dynamic{light, dark});
    return c;
}

Color Color::pattern() {
    Color c(0, 0, 0, 1);
    c.pattern_ = true;
    c.patternIdentity_ = std::make_shared<const int>(0);
    return c;
}

bool Color::isClear() const {
    return !pattern_ && !dynamic_ && alpha_ == 0 && red_ == 0 && green_ == 0 && blue_ == 0;
}

Color Color::resolved(bool dark) const {
    if (!dynamic_) return *this;
    return (dark ? dynamic_->dark : dynamic_->light).resolved(dark);
}

Color Color::withAlpha(double alpha) const {
    Color c = *this;
    c.alpha_ = clamp01(alpha);
    if (dynamic_) {
        c.dynamic_ = std::make_shared<const Dynamic>(
            Dynamic{dynamic_->light.withAlpha(alpha), dynamic_->dark.withAlpha(alpha)});
    }
    return c;
}

std::string Color::description() const {
    char buf[128];
    std::snprintf(buf, sizeof buf, "rgba(%.3f, %.3f, %.3f, %.3f)%s%s", red_, green_, blue_, alpha_,
                  dynamic_ ? " dynamic" : "", pattern_ ? " pattern" : "");
    return buf;
}

bool operator==(const Color& a, const Color& b) {
    if (a.pattern_ || b.pattern_) return a.patternIdentity_ == b.patternIdentity_;
    if (a.dynamic_ || b.dynamic_) {
        if (!a.dynamic_ || !b.dynamic_) return false;
        return a.dynamic_ == b.dynamic_ ||
               (a.dynamic_->light == b.dynamic_->light && a.dynamic_->dark == b.dynamic_->dark);
    }
    return a.red_ == b.red_ && a.green_ == b.green_ && a.blue_ == b.blue_ && a.alpha_ == b.alpha_;
}

}  // namespace base

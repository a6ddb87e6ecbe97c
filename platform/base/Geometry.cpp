#include "platform/base/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace base {

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
}  // namespace

Rect Rect::null() {
    return {kInf, kInf, 0, 0};
}

// Large enough to hold everything, small enough that maxX() stays finite.
Rect Rect::infinite() {
    return {-kMax / 2, -kMax / 2, kMax, kMax};
}

bool Rect::isNull() const {
    return origin.x == kInf || origin.y == kInf;
}

bool Rect::isInfinite() const {
    return *this == infinite();
}

bool Rect::isEmpty() const {
    return isNull() || size.width == 0 || size.height == 0;
}

Rect Rect::standardized() const {
    if (isNull()) return null();
    Rect r = *this;
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

double Rect::minX() const {
    return standardized().origin.x;
}
double Rect::midX() const {
    return minX() + width() / 2;
}
double Rect::maxX() const {
    return minX() + width();
}
double Rect::minY() const {
    return standardized().origin.y;
}
double Rect::midY() const {
    return minY() + height() / 2;
}
double Rect::maxY() const {
    return minY() + height();
}
double Rect::width() const {
    return std::abs(size.width);
}
double Rect::height() const {
    return std::abs(size.height);
}

Rect Rect::intersection(const Rect& other) const {
    if (isNull() || other.isNull()) return null();
    const Rect a = standardized();
    const Rect b = other.standardized();
    const double x1 = std::max(a.minX(), b.minX());
    const double y1 = std::max(a.minY(), b.minY());
    const double x2 = std::min(a.maxX(), b.maxX());
    const double y2 = std::min(a.maxY(), b.maxY());
    if (x2 < x1 || y2 < y1) return null();
    return {x1, y1, x2 - x1, y2 - y1};
}

Rect Rect::unionWith(const Rect& other) const {
    if (isNull()) return other.standardized();
    if (other.isNull()) return standardized();
    const double x1 = std::min(minX(), other.minX());
    const double y1 = std::min(minY(), other.minY());
    const double x2 = std::max(maxX(), other.maxX());
    const double y2 = std::max(maxY(), other.maxY());
    return {x1, y1, x2 - x1, y2 - y1};
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull()) return null();
    const Rect s = standardized();
    const Rect r{s.origin.x + dx, s.origin.y + dy, s.size.width - 2 * dx, s.size.height - 2 * dy};
    if (r.size.width < 0 || r.size.height < 0) return null();
    return r;
}

Rect Rect::inset(const EdgeInsets& e) const {
    if (isNull()) return null();
    const Rect s = standardized();
    const Rect r{s.origin.x + e.left, s.origin.y + e.top, s.size.width - e.left - e.right,
                 s.size.height - e.top - e.bottom};
    if (r.size.width < 0 || r.size.height < 0) return null();
    return r;
}

Rect Rect::offsetBy(double dx, double dy) const {
    if (isNull()) return null();
    return {origin.x + dx, origin.y + dy, size.width, size.height};
}

Rect Rect::integral() const {
    if (isNull()) return null();
    const double x1 = std::floor(minX());
    const double y1 = std::floor(minY());
    const double x2 = std::ceil(maxX());
    const double y2 = std::ceil(maxY());
    return {x1, y1, x2 - x1, y2 - y1};
}

bool Rect::contains(Point p) const {
    if (isNull()) return false;
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const {
    if (isNull() || other.isNull()) return false;
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
           other.maxY() <= maxY();
}

bool Rect::intersects(const Rect& other) const {
    const Rect i = intersection(other);
    return !i.isNull() && i.size.width > 0 && i.size.height > 0;
}

bool operator==(const Rect& a, const Rect& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    return a.origin == b.origin && a.size == b.size;
}

std::string describe(Point p) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "{%g, %g}", p.x, p.y);
    return buf;
}

std::string describe(Size s) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "{%g, %g}", s.width, s.height);
    return buf;
}

std::string Rect::description() const {
    if (isNull()) return "{null}";
    return "{" + describe(origin) + ", " + describe(size) + "}";
}

}  // namespace base

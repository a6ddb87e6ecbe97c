#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>

namespace graphics {

namespace {

// Cubic-Bézier constant that makes a quarter circle from four control points.
constexpr double kKappa = 0.5522847498307936;

bool samePoint(base::Point a, base::Point b) {
    return a.x == b.x && a.y == b.y;
}

// Extremes of one coordinate of a cubic on t in (0, 1): the roots of its derivative.
void cubicExtremes(double p0, double p1, double p2, double p3, double* lo, double* hi) {
    const double a = -p0 + 3 * p1 - 3 * p2 + p3;
    const double b = 2 * (p0 - 2 * p1 + p2);
    const double c = p1 - p0;
    auto consider = [&](double t) {
        if (!(t > 0 && t < 1)) return;
        const double u = 1 - t;
        const double v = u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
        *lo = std::min(*lo, v);
        *hi = std::max(*hi, v);
    };
    if (std::abs(a) < 1e-12) {
        if (std::abs(b) > 1e-12) consider(-c / b);
        return;
    }
    const double disc = b * b - 4 * a * c;
    if (disc < 0) return;
    const double root = std::sqrt(disc);
    consider((-b + root) / (2 * a));
    consider((-b - root) / (2 * a));
}

}  // namespace

void Path::moveTo(base::Point p) {
    elements_.push_back({Verb::Move, {p, {}, {}}});
    start_ = current_ = p;
    hasCurrent_ = true;
}

void Path::lineTo(base::Point p) {
    if (!hasCurrent_) return moveTo(p);
    elements_.push_back({Verb::Line, {p, {}, {}}});
    current_ = p;
}

void Path::quadTo(base::Point c, base::Point end) {
    if (!hasCurrent_) moveTo(c);
    const base::Point p0 = current_;
    curveTo({p0.x + 2.0 / 3.0 * (c.x - p0.x), p0.y + 2.0 / 3.0 * (c.y - p0.y)},
            {end.x + 2.0 / 3.0 * (c.x - end.x), end.y + 2.0 / 3.0 * (c.y - end.y)}, end);
}

void Path::curveTo(base::Point c1, base::Point c2, base::Point end) {
    if (!hasCurrent_) moveTo(c1);
    elements_.push_back({Verb::Cubic, {c1, c2, end}});
    current_ = end;
}

void Path::close() {
    if (!hasCurrent_ || elements_.empty() || elements_.back().verb == Verb::Close) return;
    elements_.push_back({Verb::Close, {}});
    current_ = start_;
}

void Path::addRect(const base::Rect& rect) {
    if (rect.isNull()) return;
    const base::Rect r = rect.standardized();
    moveTo({r.minX(), r.minY()});
    lineTo({r.maxX(), r.minY()});
    lineTo({r.maxX(), r.maxY()});
    lineTo({r.minX(), r.maxY()});
    close();
}

void Path::addRoundedRect(const base::Rect& rect, double radius) {
    if (rect.isNull()) return;
    const base::Rect r = rect.standardized();
    const double rr =
        std::clamp(std::isfinite(radius) ? radius : 0.0, 0.0, std::min(r.width(), r.height()) / 2);
    if (rr <= 0) return addRect(r);
    const double k = rr * (1 - kKappa);
    const double x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
    moveTo({x0 + rr, y0});
    lineTo({x1 - rr, y0});
    curveTo({x1 - k, y0}, {x1, y0 + k}, {x1, y0 + rr});
    lineTo({x1, y1 - rr});
    curveTo({x1, y1 - k}, {x1 - k, y1}, {x1 - rr, y1});
    lineTo({x0 + rr, y1});
    curveTo({x0 + k, y1}, {x0, y1 - k}, {x0, y1 - rr});
    lineTo({x0, y0 + rr});
    curveTo({x0, y0 + k}, {x0 + k, y0}, {x0 + rr, y0});
    close();
}

void Path::addEllipse(const base::Rect& rect) {
    if (rect.isNull()) return;
    const base::Rect r = rect.standardized();
    const double cx = r.midX(), cy = r.midY();
    const double rx = r.width() / 2, ry = r.height() / 2;
    const double kx = rx * kKappa, ky = ry * kKappa;
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    curveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    close();
}

void Path::addPath(const Path& other, const base::AffineTransform& t) {
    for (const Element& e : other.elements_) {
        switch (e.verb) {
            case Verb::Move:
                moveTo(t.apply(e.points[0]));
                break;
            case Verb::Line:
                lineTo(t.apply(e.points[0]));
                break;
            case Verb::Cubic:
                curveTo(t.apply(e.points[0]), t.apply(e.points[1]), t.apply(e.points[2]));
                break;
            case Verb::Close:
                close();
                break;
        }
    }
}

base::Rect Path::bounds() const {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    auto include = [&](base::Point p) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    };
    base::Point cur{};
    for (const Element& e : elements_) {
        switch (e.verb) {
            case Verb::Move:
            case Verb::Line:
                include(e.points[0]);
                cur = e.points[0];
                break;
            case Verb::Cubic:
                include(e.points[2]);
                cubicExtremes(cur.x, e.points[0].x, e.points[1].x, e.points[2].x, &minX, &maxX);
                cubicExtremes(cur.y, e.points[0].y, e.points[1].y, e.points[2].y, &minY, &maxY);
                cur = e.points[2];
                break;
            case Verb::Close:
                break;
        }
    }
    if (minX > maxX) return base::Rect::null();
    return {minX, minY, maxX - minX, maxY - minY};
}

bool operator==(const Path& a, const Path& b) {
    if (a.elements_.size() != b.elements_.size()) return false;
    for (std::size_t i = 0; i < a.elements_.size(); ++i) {
        const auto& x = a.elements_[i];
        const auto& y = b.elements_[i];
        if (x.verb != y.verb) return false;
        for (int k = 0; k < 3; ++k) {
            if (!samePoint(x.points[k], y.points[k])) return false;
        }
    }
    return true;
}

}  // namespace graphics

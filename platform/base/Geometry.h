#pragma once

#include <string>

namespace base {

struct Point {
    double x = 0;
    double y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

// A rectangle with the phone's semantics. A size may be negative: every query works on the
// standardised rectangle. The null rectangle (origin at infinity) is "no rectangle", the result
// of intersecting disjoint rectangles; it is absorbed by union and propagates through
// intersection, offset and inset. An empty rectangle (zero width or height) is still a place.
struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    static Rect zero() { return {}; }
    static Rect null();
    static Rect infinite();

    bool isNull() const;
    bool isInfinite() const;
    // Null, or zero width or height.
    bool isEmpty() const;

    // Same rectangle with non-negative width and height.
    Rect standardized() const;

    double minX() const;
    double midX() const;
    double maxX() const;
    double minY() const;
    double midY() const;
    double maxY() const;
    double width() const;
    double height() const;
    Point center() const { return {midX(), midY()}; }

    // Null when the rectangles do not meet; rectangles that only touch give a zero-size result.
    Rect intersection(const Rect& other) const;
    // The null rectangle is ignored; empty non-null rectangles count as the places they are.
    Rect unionWith(const Rect& other) const;
    // Insets both sides by dx, dy (negative grows); null when the result would be negative.
    Rect insetBy(double dx, double dy) const;
    Rect inset(const EdgeInsets& insets) const;
    Rect offsetBy(double dx, double dy) const;
    // Smallest rectangle with integer corners that contains this one.
    Rect integral() const;

    // Half-open: the maximum edges are outside.
    bool contains(Point p) const;
    bool contains(const Rect& other) const;
    // True when the rectangles overlap with positive area.
    bool intersects(const Rect& other) const;

    // Exact comparison; two null rectangles are equal whatever their sizes.
    friend bool operator==(const Rect& a, const Rect& b);

    std::string description() const;
};

std::string describe(Point p);
std::string describe(Size s);

}  // namespace base

#pragma once

#include <memory>
#include <string>

namespace base {

// An sRGB colour with straight (not premultiplied) alpha, components in 0…1.
//
// Besides plain colours there are two kinds the settings controls must tell apart:
// - dynamic colours hold a light and a dark appearance and resolve against the trait in use;
// - pattern colours have no readable components (componentsReadable() is false).
// White-based colours remember that they were made from a white level, as the phone's do.
class Color {
  public:
    Color() = default;  // the clear colour
    Color(double red, double green, double blue, double alpha = 1.0);

    static Color white(double level, double alpha = 1.0);
    static Color clear() { return {}; }
    static Color black() { return white(0); }
    // A colour whose appearance depends on the light/dark trait.
    static Color dynamic(const Color& light, const Color& dark);
    // A colour drawn from an image: its components cannot be read.
    static Color pattern();

    double red() const { return red_; }
    double green() const { return green_; }
    double blue() const { return blue_; }
    double alpha() const { return alpha_; }

    bool isWhiteBased() const { return whiteBased_; }
    bool isDynamic() const { return dynamic_ != nullptr; }
    bool componentsReadable() const { return !pattern_; }
    bool isClear() const;

    // The concrete colour for the given appearance; plain colours return themselves.
    Color resolved(bool dark) const;
    Color withAlpha(double alpha) const;

    std::string description() const;

    friend bool operator==(const Color& a, const Color& b);

  private:
    struct Dynamic;

    double red_ = 0, green_ = 0, blue_ = 0, alpha_ = 0;
    bool whiteBased_ = false;
    bool pattern_ = false;
    // Patterns compare by identity: each pattern() is its own colour.
    std::shared_ptr<const int> patternIdentity_;
    std::shared_ptr<const Dynamic> dynamic_;
};

}  // namespace base

#pragma once

namespace ui {

// How an animation's progress follows time: a cubic Bézier from (0, 0) to (1, 1) whose two
// control points shape the curve, as in the phone's media timing functions.
class TimingFunction {
  public:
    static TimingFunction linear() { return {0, 0, 1, 1}; }
    static TimingFunction easeIn() { return {0.42, 0, 1, 1}; }
    static TimingFunction easeOut() { return {0, 0, 0.58, 1}; }
    static TimingFunction easeInEaseOut() { return {0.42, 0, 0.58, 1}; }
    // Control x values are clamped to 0…1 so that the curve stays a function of time.
    static TimingFunction cubicBezier(double x1, double y1, double x2, double y2) {
        return {x1, y1, x2, y2};
    }

    // The progress at time fraction t (clamped to 0…1).
    double evaluate(double t) const;

    friend bool operator==(const TimingFunction&, const TimingFunction&) = default;

  private:
    TimingFunction(double x1, double y1, double x2, double y2);

    double x1_, y1_, x2_, y2_;
};

}  // namespace ui

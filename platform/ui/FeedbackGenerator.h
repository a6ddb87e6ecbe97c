#pragma once

#include <vector>

#include "platform/runtime/Runtime.h"

namespace ui {

enum class ImpactFeedbackStyle { Light = 0, Medium = 1, Heavy = 2, Soft = 3, Rigid = 4 };

// A haptic tap ("UIImpactFeedbackGenerator"). There is no motor here: every impact is recorded
// (style, intensity, media time) so that tests and scripts can see what the user would feel.
// Main thread only.
class ImpactFeedbackGenerator : public runtime::Object {
    QV_OBJECT(ImpactFeedbackGenerator, runtime::Object);

  public:
    struct Impact {
        ImpactFeedbackStyle style;
        double intensity;
        double time;
    };

    explicit ImpactFeedbackGenerator(ImpactFeedbackStyle style = ImpactFeedbackStyle::Medium)
        : style_(style) {}
    static std::shared_ptr<ImpactFeedbackGenerator> create(ImpactFeedbackStyle style);

    ImpactFeedbackStyle style() const { return style_; }
    void prepare() { ++prepareCount_; }
    int prepareCount() const { return prepareCount_; }
    void impactOccurred() { impactOccurredWithIntensity(1.0); }
    // Intensity is clamped to 0…1.
    void impactOccurredWithIntensity(double intensity);

    static const std::vector<Impact>& recordedImpacts();
    static void clearRecordedImpacts();

  private:
    ImpactFeedbackStyle style_;
    int prepareCount_ = 0;
};

}  // namespace ui

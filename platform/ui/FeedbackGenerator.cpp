#include "platform/ui/FeedbackGenerator.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/Time.h"

namespace ui {

QV_DEFINE_CLASS(ImpactFeedbackGenerator, "UIImpactFeedbackGenerator");

namespace {

std::vector<ImpactFeedbackGenerator::Impact>& impacts() {
    static auto* const list = new std::vector<ImpactFeedbackGenerator::Impact>();
    return *list;
}

}  // namespace

std::shared_ptr<ImpactFeedbackGenerator> ImpactFeedbackGenerator::create(
    ImpactFeedbackStyle style) {
    return std::make_shared<ImpactFeedbackGenerator>(style);
}

void ImpactFeedbackGenerator::impactOccurredWithIntensity(double intensity) {
    const double i = std::isfinite(intensity) ? std::clamp(intensity, 0.0, 1.0) : 1.0;
    impacts().push_back({style_, i, dispatch::now()});
}

const std::vector<ImpactFeedbackGenerator::Impact>& ImpactFeedbackGenerator::recordedImpacts() {
    return impacts();
}

void ImpactFeedbackGenerator::clearRecordedImpacts() {
    impacts().clear();
}

}  // namespace ui

#include "platform/ui/SystemColors.h"

namespace ui::colors {

namespace {

base::Color rgb(int r, int g, int b, double a = 1.0) {
    return {r / 255.0, g / 255.0, b / 255.0, a};
}

base::Color pair(const base::Color& light, const base::Color& dark) {
    return base::Color::dynamic(light, dark);
}

}  // namespace

base::Color systemBlue() {
    return pair(rgb(0, 122, 255), rgb(10, 132, 255));
}
base::Color systemGreen() {
    return pair(rgb(52, 199, 89), rgb(48, 209, 88));
}
base::Color systemRed() {
    return pair(rgb(255, 59, 48), rgb(255, 69, 58));
}
base::Color systemGray() {
    return rgb(142, 142, 147);
}
base::Color label() {
    return pair(base::Color::black(), base::Color::white(1));
}
base::Color secondaryLabel() {
    return pair(rgb(60, 60, 67, 0.6), rgb(235, 235, 245, 0.6));
}
base::Color tertiaryLabel() {
    return pair(rgb(60, 60, 67, 0.3), rgb(235, 235, 245, 0.3));
}
base::Color quaternaryLabel() {
    return pair(rgb(60, 60, 67, 0.18), rgb(235, 235, 245, 0.16));
}
base::Color systemBackground() {
    return pair(base::Color::white(1), base::Color::black());
}
base::Color secondarySystemBackground() {
    return pair(rgb(242, 242, 247), rgb(28, 28, 30));
}
base::Color systemGroupedBackground() {
    return pair(rgb(242, 242, 247), base::Color::black());
}
base::Color secondarySystemGroupedBackground() {
    return pair(base::Color::white(1), rgb(28, 28, 30));
}
base::Color systemFill() {
    return pair(rgb(120, 120, 128, 0.2), rgb(120, 120, 128, 0.36));
}
base::Color secondarySystemFill() {
    return pair(rgb(120, 120, 128, 0.16), rgb(120, 120, 128, 0.32));
}
base::Color tertiarySystemFill() {
    return pair(rgb(118, 118, 128, 0.12), rgb(118, 118, 128, 0.24));
}
base::Color separator() {
    return pair(rgb(60, 60, 67, 0.29), rgb(84, 84, 88, 0.6));
}

}  // namespace ui::colors

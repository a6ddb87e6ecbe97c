#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Layer.h"
#include "platform/ui/VisualEffectView.h"

using base::Rect;

namespace {

// A 60 x 20 view: black on the left half, white on the right, and a blur material over the
// middle 40 points.
struct Backdrop {
    std::shared_ptr<ui::View> root = ui::View::create(Rect{0, 0, 60, 20});
    std::shared_ptr<ui::VisualEffectView> panel;

    explicit Backdrop(std::optional<ui::BlurEffect> effect) {
        auto left = ui::View::create(Rect{0, 0, 30, 20});
        left->setBackgroundColor(base::Color::black());
        auto right = ui::View::create(Rect{30, 0, 30, 20});
        right->setBackgroundColor(base::Color::white(1));
        panel = ui::VisualEffectView::create(effect);
        panel->setFrame(Rect{10, 0, 40, 20});
        root->addSubview(left);
        root->addSubview(right);
        root->addSubview(panel);
    }
};

int grey(const graphics::Image& image, int x, int y) {
    const graphics::Pixel p = image.pixelAt(x, y);
    return (int(p.r) + int(p.g) + int(p.b)) / 3;
}

}  // namespace

TEST_F(UiTest, BlurMaterialBlursWhatLiesBehindItOnly) {
    // Without a tint the material shows the blurred backdrop as it is.
    ui::BlurEffect effect = ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::SystemMaterial);
    Backdrop scene(effect);
    scene.panel->setBackgroundColor(base::Color::clear());
    const auto image = ui::renderViewImage(*scene.root, 1);
    ASSERT_TRUE(image);
    // Outside the panel the edge stays sharp.
    EXPECT_EQ(grey(*image, 5, 10), 0);
    EXPECT_EQ(grey(*image, 55, 10), 255);
    // Inside, the black-white edge at x = 30 is smeared: grey on both sides of it, darker on
    // the black side, and every value between the two.
    const int justLeft = grey(*image, 27, 10), justRight = grey(*image, 32, 10);
    EXPECT_GT(justLeft, 30);
    EXPECT_LT(justRight, 225);
    EXPECT_LT(justLeft, justRight);
    for (int x = 11; x < 49; ++x) EXPECT_LE(grey(*image, x, 10), grey(*image, x + 1, 10) + 2);

    // The material's light tint lies over the blur; without an effect nothing is blurred.
    Backdrop tinted(effect);
    EXPECT_GT(grey(*ui::renderViewImage(*tinted.root, 1), 12, 10), 150);
    Backdrop plain(std::nullopt);
    const auto sharp = ui::renderViewImage(*plain.root, 1);
    EXPECT_EQ(grey(*sharp, 29, 10), 0);
    EXPECT_EQ(grey(*sharp, 30, 10), 255);
}

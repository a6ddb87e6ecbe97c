#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/StackView.h"

using base::Rect;
using ui::LayoutConstraint;
using ui::StackView;
using ui::View;

namespace {

std::shared_ptr<View> fixedHeight(double height) {
    auto v = View::create();
    LayoutConstraint::activateConstraints({v->heightAnchor().constraintEqualToConstant(height)});
    return v;
}

void pinEdges(View& child, View& parent, double top, double leading, double bottom,
              double trailing) {
    child.setTranslatesAutoresizingMaskIntoConstraints(false);
    LayoutConstraint::activateConstraints({
        child.topAnchor().constraintEqualToAnchor(parent.topAnchor(), top),
        child.leadingAnchor().constraintEqualToAnchor(parent.leadingAnchor(), leading),
        child.bottomAnchor().constraintEqualToAnchor(parent.bottomAnchor(), -bottom),
        child.trailingAnchor().constraintEqualToAnchor(parent.trailingAnchor(), -trailing),
    });
}

}  // namespace

TEST_F(UiTest, HiddenStackRowsCollapseAndReopen) {
    // The stack is pinned at the top and sides only, so its height is its content's.
    auto container = View::create(Rect{0, 0, 200, 400});
    auto stack = StackView::create();
    container->addSubview(stack);
    stack->setTranslatesAutoresizingMaskIntoConstraints(false);
    LayoutConstraint::activateConstraints({
        stack->topAnchor().constraintEqualToAnchor(container->topAnchor()),
        stack->leadingAnchor().constraintEqualToAnchor(container->leadingAnchor()),
        stack->trailingAnchor().constraintEqualToAnchor(container->trailingAnchor()),
    });
    stack->setAxis(ui::LayoutAxis::Vertical);
    stack->setSpacing(10);
    auto a = fixedHeight(40), b = fixedHeight(50), c = fixedHeight(60);
    for (const auto& v : {a, b, c}) stack->addArrangedSubview(v);
    container->layoutIfNeeded();
    EXPECT_EQ(c->frame(), (Rect{0, 110, 200, 60}));
    EXPECT_DOUBLE_EQ(stack->intrinsicContentSize().height, 170);

    b->setHidden(true);
    container->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(stack->frame().height(), 110);
    EXPECT_EQ(a->frame(), (Rect{0, 0, 200, 40}));
    EXPECT_EQ(c->frame(), (Rect{0, 50, 200, 60})) << "the hidden row and one gap are gone";
    EXPECT_DOUBLE_EQ(stack->intrinsicContentSize().height, 110);

    // Inside an animation block the gap opens as part of the animation.
    View::animate(0.16, [&] { b->setHidden(false); });
    EXPECT_EQ(c->frame(), (Rect{0, 110, 200, 60}));
    EXPECT_TRUE(c->layer()->hasRunningAnimations());
    runUntilSeconds(0.5);
    EXPECT_FALSE(c->layer()->hasRunningAnimations());

    // Removing an arranged view from the tree stops arranging it.
    a->removeFromSuperview();
    EXPECT_EQ(stack->arrangedSubviews().size(), 2u);
}

TEST_F(UiTest, HorizontalStackGivesSlackToTheLeastHuggingView) {
    auto stack = StackView::create(Rect{0, 0, 300, 44});
    stack->setSpacing(12);
    stack->setAlignment(ui::StackViewAlignment::Center);
    auto title = View::create(), slider = View::create(), value = View::create();
    LayoutConstraint::activateConstraints({
        title->widthAnchor().constraintEqualToConstant(90),
        title->heightAnchor().constraintEqualToConstant(20),
        value->widthAnchor().constraintEqualToConstant(55),
        slider->heightAnchor().constraintEqualToConstant(31),
    });
    title->setContentHuggingPriority(750, ui::LayoutAxis::Horizontal);
    value->setContentHuggingPriority(1000, ui::LayoutAxis::Horizontal);
    for (const auto& v : {title, slider, value}) stack->addArrangedSubview(v);
    stack->layoutIfNeeded();
    EXPECT_EQ(title->frame(), (Rect{0, 12, 90, 20}));
    EXPECT_EQ(slider->frame(), (Rect{102, 6.5, 300 - 90 - 55 - 24, 31}));
    EXPECT_DOUBLE_EQ(value->frame().minX(), 245);

    stack->setDistribution(ui::StackViewDistribution::FillEqually);
    stack->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(value->frame().width(), (300 - 24) / 3.0);
}

TEST_F(UiTest, PinnedEdgesFollowASizeChange) {
    auto window = ui::Window::create(Rect{0, 0, 300, 200});
    auto root = View::create(Rect{0, 0, 300, 200});
    root->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                              ui::AutoresizingMask::FlexibleHeight);
    window->addSubview(root);
    auto child = View::create();
    root->addSubview(child);
    pinEdges(*child, *root, 10, 20, 15, 30);
    window->makeKeyAndVisible();
    ui::testing::runFrames(1);
    EXPECT_EQ(child->frame(), (Rect{20, 10, 250, 175}));

    // Turning the device: the window gets the other shape and the pins follow.
    window->setFrame(Rect{0, 0, 200, 400});
    ui::testing::runFrames(1);
    EXPECT_EQ(child->frame(), (Rect{20, 10, 150, 375}));

    // A new constant moves the child on the next pass.
    child->constraints().front()->setConstant(40);
    ui::testing::runFrames(1);
    EXPECT_EQ(child->frame(), (Rect{20, 40, 150, 345}));
    window->setHidden(true);
}

TEST_F(UiTest, ContentGuideConstraintsSizeTheScrollViewContent) {
    auto scroll = ui::ScrollView::create(Rect{0, 0, 320, 480});
    auto stack = StackView::create();
    stack->setAxis(ui::LayoutAxis::Vertical);
    stack->setSpacing(12);
    stack->addArrangedSubview(fixedHeight(300));
    stack->addArrangedSubview(fixedHeight(400));
    scroll->addSubview(stack);
    stack->setTranslatesAutoresizingMaskIntoConstraints(false);
    LayoutConstraint::activateConstraints({
        stack->topAnchor().constraintEqualToAnchor(scroll->contentLayoutGuide().topAnchor(), 23.25),
        stack->leadingAnchor().constraintEqualToAnchor(scroll->frameLayoutGuide().leadingAnchor(),
                                                       16),
        stack->trailingAnchor().constraintEqualToAnchor(scroll->frameLayoutGuide().trailingAnchor(),
                                                        -16),
        stack->bottomAnchor().constraintEqualToAnchor(scroll->contentLayoutGuide().bottomAnchor(),
                                                      -112),
    });
    scroll->layoutIfNeeded();
    EXPECT_EQ(stack->frame(), (Rect{16, 23.25, 288, 712}));
    EXPECT_DOUBLE_EQ(scroll->contentSize().height, 23.25 + 712 + 112);
    // Rows inside the stack are laid out in the same pass.
    EXPECT_DOUBLE_EQ(stack->arrangedSubviews()[1]->frame().minY(), 312);
}

TEST_F(UiTest, InequalitiesBoundTheIntrinsicSizeAndContainersFitTheirContent) {
    // A header row: a title pinned left, an accessory pinned right, the title kept clear of it.
    auto row = View::create(Rect{0, 0, 200, 0});
    auto title = ui::Label::create();
    title->setText(std::string(60, 'W'));
    auto accessory = View::create();
    row->addSubview(title);
    row->addSubview(accessory);
    title->setTranslatesAutoresizingMaskIntoConstraints(false);
    accessory->setTranslatesAutoresizingMaskIntoConstraints(false);
    LayoutConstraint::activateConstraints({
        title->leadingAnchor().constraintEqualToAnchor(row->leadingAnchor()),
        title->topAnchor().constraintEqualToAnchor(row->topAnchor(), 13),
        row->bottomAnchor().constraintEqualToAnchor(title->bottomAnchor(), 13),
        accessory->trailingAnchor().constraintEqualToAnchor(row->trailingAnchor()),
        accessory->centerYAnchor().constraintEqualToAnchor(title->centerYAnchor()),
        accessory->widthAnchor().constraintEqualToConstant(51),
        accessory->heightAnchor().constraintEqualToConstant(31),
        title->trailingAnchor().constraintLessThanOrEqualToAnchor(accessory->leadingAnchor(), -12),
    });
    const double lineHeight = title->intrinsicContentSize().height;
    const base::Size fit = row->systemLayoutSizeFittingSize({200, 0});
    EXPECT_DOUBLE_EQ(fit.height, lineHeight + 26);

    row->setFrame(Rect{0, 0, 200, fit.height});
    row->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(accessory->frame().minX(), 149);
    EXPECT_DOUBLE_EQ(title->frame().maxX(), 137) << "a long title stops short of the accessory";
    EXPECT_DOUBLE_EQ(accessory->frame().midY(), title->frame().midY());

    // Mixing a position with a dimension makes no constraint.
    EXPECT_EQ(title->topAnchor().constraintEqualToAnchor(row->widthAnchor()), nullptr);
    EXPECT_EQ(title->topAnchor().constraintEqualToConstant(3), nullptr);
}

TEST_F(UiTest, DeactivatedAndConflictingConstraintsDoNotMoveViews) {
    auto root = View::create(Rect{0, 0, 200, 100});
    auto child = View::create(Rect{5, 5, 10, 10});
    root->addSubview(child);
    child->setTranslatesAutoresizingMaskIntoConstraints(false);
    auto left = child->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 20);
    auto conflicting = child->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 90);
    LayoutConstraint::activateConstraints({
        left,
        conflicting,
        child->topAnchor().constraintEqualToAnchor(root->topAnchor(), 30),
        child->widthAnchor().constraintEqualToConstant(40),
        child->heightAnchor().constraintEqualToAnchor(root->heightAnchor(), 0.5, 0),
    });
    root->layoutIfNeeded();
    EXPECT_EQ(child->frame(), (Rect{20, 30, 40, 50})) << "the first of two equalities wins";

    // Without any horizontal position the child keeps the x it had; it still takes the width.
    LayoutConstraint::deactivateConstraints({left, conflicting});
    EXPECT_FALSE(left->isActive());
    root->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(child->frame().minX(), 20);
    EXPECT_EQ(child->constraints().size(), 3u);
}

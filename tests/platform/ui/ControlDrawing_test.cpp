#include <gtest/gtest.h>

#include <string>

#include "ControlsTestSupport.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"

using base::Rect;

namespace {

bool near(const graphics::Pixel& p, int r, int g, int b, int tolerance = 6) {
    return std::abs(int(p.r) - r) <= tolerance && std::abs(int(p.g) - g) <= tolerance &&
           std::abs(int(p.b) - b) <= tolerance;
}

}  // namespace

TEST_F(ControlsTest, StockSliderDrawsBothTracksAndAThumbAtItsValue) {
    auto slider = ui::Slider::create(Rect{0, 0, 100, 31});
    slider->setMinimumTrackTintColor(base::Color(1, 0, 0));
    slider->setMaximumTrackTintColor(base::Color(0, 0, 1));
    slider->setValue(0.5f);
    slider->layoutIfNeeded();
    auto image = ui::renderViewImage(*slider, 1);
    ASSERT_TRUE(image);
    // Value 0.5: the thumb's centre halfway along its travel (14 … 86), the track 4 high at y 15.5.
    EXPECT_TRUE(near(image->pixelAt(5, 15), 255, 0, 0)) << "minimum track left of the thumb";
    EXPECT_TRUE(near(image->pixelAt(95, 15), 0, 0, 255)) << "maximum track right of it";
    EXPECT_TRUE(near(image->pixelAt(50, 15), 255, 255, 255)) << "the white thumb on top";
    EXPECT_EQ(image->pixelAt(5, 3).a, 0) << "nothing above the track beside the thumb";

    // A clear thumb tint and a transparent thumb image leave only the tracks: what a subclass
    // that draws its own thumb relies on.
    slider->setThumbTintColor(base::Color::clear());
    slider->layoutIfNeeded();
    image = ui::renderViewImage(*slider, 1);
    EXPECT_TRUE(near(image->pixelAt(45, 15), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(55, 15), 0, 0, 255));
}

TEST_F(ControlsTest, AnimatedValueChangesSettleAndLeaveNothingRunning) {
    auto slider = ui::Slider::create(Rect{20, 100, 200, 31});
    auto toggle = ui::Switch::create(Rect{20, 200, 0, 0});
    window->addSubview(slider);
    window->addSubview(toggle);
    step();
    slider->setValue(0.8f, true);
    toggle->setOn(true, true);
    step();
    EXPECT_TRUE(slider->subviews()[2]->layer()->hasRunningAnimations());
    runUntilSeconds(1);
    // A control that stopped moving has no animation left to draw.
    for (const auto& control :
         {std::static_pointer_cast<ui::View>(slider), std::static_pointer_cast<ui::View>(toggle)}) {
        for (const auto& part : control->subviews()) {
            EXPECT_FALSE(part->layer()->hasRunningAnimations());
        }
    }
    EXPECT_FLOAT_EQ(slider->value(), 0.8f);
}

TEST_F(ControlsTest, ScrollViewDragsItsContentWithinItsBounds) {
    auto scroll = ui::ScrollView::create(Rect{0, 100, 300, 400});
    scroll->setContentSize({300, 1000});
    scroll->setContentInset({44, 0, 0, 0});
    auto row = ui::View::create(Rect{0, 0, 300, 44});
    scroll->addSubview(row);
    window->addSubview(scroll);

    // A touch on a view that does not handle it drags the content.
    ASSERT_TRUE(finger.touchDown({150, 130}));
    EXPECT_TRUE(scroll->isTracking());
    finger.touchMove({150, 30});
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 100);
    EXPECT_TRUE(scroll->isDragging());
    finger.touchMove({150, -2000});
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 600) << "stops at the end of the content";
    finger.touchMove({150, 3000});
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -44) << "and at the top inset";
    finger.touchUp({150, 3000});
    EXPECT_FALSE(scroll->isDragging());
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x, 0)
        << "content as wide as the view never moves sideways";
}

TEST_F(ControlsTest, TextFieldEditsWholeCharactersAndReportsOnlyTheUsersChanges) {
    auto field = ui::TextField::create(Rect{20, 300, 200, 30});
    window->addSubview(field);
    int changes = 0, began = 0, ended = 0;
    field->addAction(ui::Action::create({}, nullptr, [&](ui::Action&) { ++changes; }),
                     ui::ControlEvents::EditingChanged);
    field->addAction(ui::Action::create({}, nullptr, [&](ui::Action&) { ++began; }),
                     ui::ControlEvents::EditingDidBegin);
    field->addAction(ui::Action::create({}, nullptr, [&](ui::Action&) { ++ended; }),
                     ui::ControlEvents::EditingDidEnd);

    field->setText("1,5");
    EXPECT_EQ(changes, 0) << "code that sets the text sends nothing";
    ASSERT_TRUE(finger.tap({100, 315}));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(began, 1);
    field->insertText("€");
    field->deleteBackward();
    EXPECT_EQ(field->text(), "1,5") << "the euro sign goes as a whole";
    EXPECT_EQ(changes, 2);

    // Another field taking the focus ends this one's editing; leaving the window does too.
    auto other = ui::TextField::create(Rect{20, 350, 200, 30});
    window->addSubview(other);
    ASSERT_TRUE(other->becomeFirstResponder());
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(field->isEditing());
    other->removeFromSuperview();
    EXPECT_FALSE(ui::TextField::firstResponder());
    EXPECT_FALSE(ui::TextField::create()->becomeFirstResponder()) << "not in a window";
}

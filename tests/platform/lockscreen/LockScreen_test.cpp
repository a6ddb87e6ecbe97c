#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LockScreenTestSupport.h"
#include "platform/runtime/Hooks.h"
#include "platform/ui/Application.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"

using base::Rect;
using lockscreen::LockScreen;

namespace {

bool isKindOf(const std::shared_ptr<ui::View>& view, const char* className) {
    runtime::Class* cls = runtime::lookUpClass(className);
    return view && cls && view->isKindOfClass(cls);
}

bool hasAncestorNamed(const ui::View& view, const std::string& name) {
    for (auto up = view.superview(); up; up = up->superview()) {
        if (up->className() == name) return true;
    }
    return false;
}

Rect inWindow(const std::shared_ptr<ui::View>& view) {
    return view->convertRect(view->bounds(), nullptr);
}

// Records the messages the system sends that hooks rely on.
struct Sent {
    std::vector<std::string> texts;
    std::vector<double> alphas;
    std::vector<std::string> layouts;
};
Sent* gSent = nullptr;

void (*gSetText)(runtime::Object*, runtime::SEL, const std::string&) = nullptr;
void recordSetText(runtime::Object* self, runtime::SEL sel, const std::string& text) {
    gSetText(self, sel, text);
    if (gSent && self->className() == "_UIAnimatingLabel") gSent->texts.push_back(text);
}

void (*gSetAlpha)(runtime::Object*, runtime::SEL, double) = nullptr;
void recordSetAlpha(runtime::Object* self, runtime::SEL sel, double alpha) {
    gSetAlpha(self, sel, alpha);
    if (gSent && self->className() == "_UIAnimatingLabel") gSent->alphas.push_back(alpha);
}

void (*gListSetFrame)(runtime::Object*, runtime::SEL, base::Rect) = nullptr;
void recordListSetFrame(runtime::Object* self, runtime::SEL sel, base::Rect frame) {
    gListSetFrame(self, sel, frame);
    if (gSent) gSent->layouts.push_back("list setFrame:");
}

void (*gWillLayout)(runtime::Object*, runtime::SEL) = nullptr;
void recordWillLayout(runtime::Object* self, runtime::SEL sel) {
    gWillLayout(self, sel);
    if (gSent) gSent->layouts.push_back("viewWillLayoutSubviews");
}

void (*gDidLayout)(runtime::Object*, runtime::SEL) = nullptr;
void recordDidLayout(runtime::Object* self, runtime::SEL sel) {
    gDidLayout(self, sel);
    if (gSent) gSent->layouts.push_back("viewDidLayoutSubviews");
}

// Installs a replacement for one test and takes it out again.
template <class R, class... A>
class Hook {
  public:
    Hook(const char* className, const char* selector,
         R (*replacement)(runtime::Object*, runtime::SEL, A...),
         R (**previous)(runtime::Object*, runtime::SEL, A...))
        : cls_(runtime::lookUpClass(className)), sel_(runtime::Selector::named(selector)) {
        installed_ = runtime::replaceMethod(cls_, sel_, replacement, previous);
        previous_ = runtime::toImp(*previous);
    }
    ~Hook() {
        if (installed_) runtime::replaceMethod(cls_, sel_, previous_);
    }
    bool installed() const { return installed_; }

  private:
    runtime::Class* cls_;
    runtime::SEL sel_;
    runtime::IMP previous_ = nullptr;
    bool installed_ = false;
};

}  // namespace

TEST_F(LockScreenTest, ModernClockIsAProminentTimeViewWithAnAnimatingLabelUnderTheDate) {
    build(ui::DeviceProfile::modernPhone());
    ASSERT_TRUE(lock->isModern());
    auto clock = lock->clockView();
    auto time = lock->timeLabel();
    EXPECT_EQ(clock->className(), "CSProminentTimeView");
    EXPECT_EQ(time->className(), "_UIAnimatingLabel");
    EXPECT_TRUE(isKindOf(time, "UILabel"));
    EXPECT_EQ(time->superview().get(), clock.get());
    EXPECT_EQ(time->text(), "9:41");
    EXPECT_GE(time->font()->pointSize(), 70);
    EXPECT_EQ(lock->dateLineView()->className(), "CSProminentSubtitleDateView");
    EXPECT_EQ(lock->dateLabel()->text(), "Monday, December 7");

    // The date line sits above the clock; the clock lies on the screen; the list starts below it.
    const Rect date = inWindow(lock->dateLineView());
    const Rect clockRect = inWindow(clock);
    const Rect list = inWindow(lock->listView());
    EXPECT_LE(date.maxY(), clockRect.minY() + 8);
    EXPECT_GE(clockRect.minY(), 40);
    EXPECT_LE(clockRect.maxX(), 393);
    EXPECT_GE(list.minY(), clockRect.maxY());
    EXPECT_EQ(lock->listView()->className(), "NCNotificationListView");
    EXPECT_TRUE(isKindOf(lock->listView(), "UIScrollView"));
    EXPECT_EQ(lock->listController()->className(), "NCNotificationStructuredListViewController");

    // A scroll view holds the clock, and the first superview that clips is that scroll view.
    EXPECT_TRUE(hasAncestorNamed(*clock, "CSScrollView"));
    EXPECT_FALSE(clock->superview()->clipsToBounds());
}

TEST_F(LockScreenTest, LegacyClockIsADateViewWithALegibilityLabelAndTheDateBelow) {
    build(ui::DeviceProfile::legacyPhone());
    ASSERT_FALSE(lock->isModern());
    auto clock = lock->clockView();
    auto time = lock->timeLabel();
    EXPECT_EQ(clock->className(), "SBFLockScreenDateView");
    EXPECT_EQ(time->className(), "UILabel");
    EXPECT_EQ(time->superview()->className(), "SBUILegibilityLabel");
    EXPECT_TRUE(hasAncestorNamed(*time, "SBFLockScreenDateView"));
    EXPECT_EQ(time->text(), "9:41");
    EXPECT_GE(time->font()->pointSize(), 60);
    EXPECT_EQ(lock->dateLineView()->className(), "SBFLockScreenDateSubtitleDateView");
    EXPECT_TRUE(hasAncestorNamed(*lock->dateLabel(), "SBFLockScreenDateSubtitleDateView"));

    const Rect timeRect = inWindow(time);
    const Rect date = inWindow(lock->dateLineView());
    const Rect list = inWindow(lock->listView());
    EXPECT_GT(date.minY(), timeRect.minY() + timeRect.height() / 2);
    EXPECT_GE(list.minY(), date.maxY());
}

TEST_F(LockScreenTest, WindowsAreTheWallpaperWindowsBelowTheCoverSheetInAConnectedScene) {
    build(ui::DeviceProfile::tablet());
    auto scenes = ui::Application::shared()->connectedScenes();
    ASSERT_NE(std::find(scenes.begin(), scenes.end(), lock->scene()), scenes.end());
    const auto windows = lock->scene()->windows();
    ASSERT_GE(windows.size(), 3u);
    EXPECT_EQ(windows[0]->className(), "_SBWallpaperWindow");
    EXPECT_EQ(windows[1]->className(), "_SBWallpaperSecureWindow");
    EXPECT_TRUE(isKindOf(windows[1], "_SBWallpaperWindow"));
    EXPECT_LT(windows[1]->windowLevel(), lock->coverSheetWindow()->windowLevel());
    EXPECT_EQ(lock->coverSheetWindow()->frame(), (Rect{0, 0, 1024, 1366}));
    EXPECT_FALSE(lock->isCameraOpen());

    // Gone with the lock screen.
    auto scene = lock->scene();
    lock.reset();
    scenes = ui::Application::shared()->connectedScenes();
    EXPECT_EQ(std::find(scenes.begin(), scenes.end(), scene), scenes.end());
}

TEST_F(LockScreenTest, TimeLabelHearsSetTextAtEveryMinuteOfTheWallClockAndOnlyThen) {
    Sent sent;
    gSent = &sent;
    Hook hook("UILabel", "setText:", &recordSetText, &gSetText);
    ASSERT_TRUE(hook.installed());
    build(ui::DeviceProfile::modernPhone());
    ASSERT_EQ(sent.texts, (std::vector<std::string>{"9:41"}));

    runUntilSeconds(59.9);
    EXPECT_EQ(sent.texts.size(), 1u);
    runUntilSeconds(60.0);
    EXPECT_EQ(sent.texts, (std::vector<std::string>{"9:41", "9:42"}));
    runUntilSeconds(60 * 19 + 1);
    EXPECT_EQ(sent.texts.back(), "10:00");
    EXPECT_EQ(sent.texts.size(), 20u);
    gSent = nullptr;
}

TEST_F(LockScreenTest, MinuteUpdateQueuedBeforeTheLockScreenWentDoesNothing) {
    build(ui::DeviceProfile::modernPhone());
    lock.reset();
    runUntilSeconds(61);  // the queued update finds no lock screen
    SUCCEED();
}

TEST_F(LockScreenTest, PasscodeCoversTheScreenAndDimsTheStockClockUntilItHides) {
    Sent sent;
    gSent = &sent;
    Hook hook("UIView", "setAlpha:", &recordSetAlpha, &gSetAlpha);
    build(ui::DeviceProfile::modernPhone());
    lock->setPasscodeVisible(true);
    lock->setPasscodeVisible(true);
    ASSERT_TRUE(lock->isPasscodeVisible());
    EXPECT_EQ(lock->passcodeView()->className(), "CSPasscodeBackgroundView");
    EXPECT_EQ(inWindow(lock->passcodeView()), lock->coverSheetWindow()->bounds());
    EXPECT_EQ(lock->timeLabel()->alpha(), 0.0);
    lock->setPasscodeVisible(false);
    EXPECT_FALSE(lock->isPasscodeVisible());
    EXPECT_EQ(lock->timeLabel()->alpha(), 1.0);
    EXPECT_EQ(sent.alphas, (std::vector<double>{0.0, 1.0}));
    gSent = nullptr;
}

TEST_F(LockScreenTest, LayoutSetsTheListFrameBetweenTheControllersLayoutCallbacks) {
    build(ui::DeviceProfile::modernPhone());
    Sent sent;
    gSent = &sent;
    Hook will("NCNotificationStructuredListViewController", "viewWillLayoutSubviews",
              &recordWillLayout, &gWillLayout);
    Hook did("NCNotificationStructuredListViewController", "viewDidLayoutSubviews",
             &recordDidLayout, &gDidLayout);
    Hook frame("NCNotificationListView", "setFrame:", &recordListSetFrame, &gListSetFrame);
    ASSERT_TRUE(will.installed() && did.installed() && frame.installed());

    lock->setScreenSize({852, 393});
    EXPECT_EQ(sent.layouts, (std::vector<std::string>{"viewWillLayoutSubviews",
                                                      "list setFrame:", "viewDidLayoutSubviews"}));
    EXPECT_EQ(lock->listView()->frame().width(), 852);
    EXPECT_EQ(lock->scene()->interfaceOrientation(), ui::InterfaceOrientation::LandscapeRight);
    // The pages keep the main page in view across the size change.
    EXPECT_EQ(inWindow(lock->clockView()).minX(), 0);
    gSent = nullptr;
}

TEST_F(LockScreenTest, NotificationsStackNewestFirstAsShortAndLongLooks) {
    build(ui::DeviceProfile::modernPhone());
    EXPECT_TRUE(lock->addNotification({"a", "MAIL", "First", "one", false}));
    EXPECT_TRUE(lock->addNotification({"b", "MESSAGES", "Second", "two", true}));
    EXPECT_FALSE(lock->addNotification({"a", "MAIL", "Again", "", false}));
    lock->layoutIfNeeded();

    auto cards = lock->listView()->cards();
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0]->className(), "NCNotificationLongLookView");
    EXPECT_EQ(cards[1]->className(), "NCNotificationShortLookView");
    EXPECT_TRUE(isKindOf(cards[0], "PLPlatterView"));
    EXPECT_LT(cards[0]->frame().minY(), cards[1]->frame().minY());
    // The short look's content sits on a platter of its own inside the card.
    EXPECT_EQ(cards[1]->contentPlatter()->className(), "PLPlatterView");
    EXPECT_TRUE(hasAncestorNamed(*cards[1]->titleLabel(), "NCNotificationShortLookView"));

    EXPECT_TRUE(lock->removeNotification("b"));
    EXPECT_FALSE(lock->removeNotification("b"));
    lock->layoutIfNeeded();
    ASSERT_EQ(lock->listView()->cards().size(), 1u);
    EXPECT_EQ(lock->listView()->cards()[0]->frame().minY(), 0);
}

TEST_F(LockScreenTest, PagesScrollTheClockAcrossTheScreenAndAnimatedScrollsMoveEveryFrame) {
    build(ui::DeviceProfile::modernPhone());
    const double startX = inWindow(lock->clockView()).minX();
    EXPECT_EQ(startX, 0);
    lock->scrollToPage(0.5, false);
    lock->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(inWindow(lock->clockView()).minX(), 393 / 2.0);

    lock->scrollToPage(1, true);
    ui::testing::runFrames(3);
    const double during = inWindow(lock->clockView()).minX();
    EXPECT_GT(during, 0);
    EXPECT_LT(during, 393 / 2.0);
    runUntilSeconds(1);
    EXPECT_EQ(inWindow(lock->clockView()).minX(), 0);
}

TEST_F(LockScreenTest, CameraOpensOverTheCoverSheetWithAFullScreenViewfinder) {
    build(ui::DeviceProfile::standardPhone());
    lock->setCameraOpen(true);
    ASSERT_TRUE(lock->isCameraOpen());
    auto camera = lock->cameraView();
    EXPECT_EQ(camera->className(), "CAMViewfinderView");
    EXPECT_EQ(camera->superview(), lock->coverSheetWindow());
    EXPECT_EQ(lock->coverSheetWindow()->subviews().back(), camera);
    EXPECT_EQ(inWindow(camera), (Rect{0, 0, 390, 844}));
    EXPECT_EQ(camera->subviews()[0]->subviews()[0]->className(), "CAMPreviewView");
    lock->setCameraOpen(false);
    EXPECT_FALSE(lock->isCameraOpen());
    EXPECT_EQ(camera->superview(), nullptr);
}

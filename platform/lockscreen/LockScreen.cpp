#include "platform/lockscreen/LockScreen.h"

#include <algorithm>
#include <chrono>

#include "platform/dispatch/Queue.h"
#include "platform/lockscreen/ClockText.h"
#include "platform/text/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"

namespace lockscreen {

namespace {

// Window levels, lowest first.
constexpr double kWallpaperLevel = -2;
constexpr double kSecureWallpaperLevel = -1;
constexpr double kCoverSheetLevel = 0;

std::shared_ptr<ui::Label> passcodePrompt() {
    auto label = ui::Label::create();
    label->setText("Enter Passcode");
    label->setFont(text::Font::systemFont(20, text::FontWeight::Regular));
    label->setTextColor(base::Color::white(1));
    label->setTextAlignment(ui::TextAlignment::Center);
    return label;
}

// The flashlight and camera buttons in the bottom corners and the home indicator between them.
// They stay put while the pages scroll.
void addQuickActions(ui::Window& window) {
    using ui::AutoresizingMask;
    constexpr double kButton = 50;
    constexpr double kInset = 46;
    const base::Size size = window.bounds().size;
    const double y = size.height - 44 - kButton;
    for (const bool left : {true, false}) {
        auto button =
            ui::View::create({left ? kInset : size.width - kInset - kButton, y, kButton, kButton});
        button->setBackgroundColor(base::Color::white(0, 0.32));
        button->layer()->setCornerRadius(kButton / 2);
        button->setAutoresizingMask(
            AutoresizingMask::FlexibleTopMargin |
            (left ? AutoresizingMask::FlexibleRightMargin : AutoresizingMask::FlexibleLeftMargin));
        window.addSubview(button);
    }
    auto indicator = ui::View::create({(size.width - 134) / 2, size.height - 13, 134, 5});
    indicator->setBackgroundColor(base::Color::white(1, 0.9));
    indicator->layer()->setCornerRadius(2.5);
    indicator->setAutoresizingMask(AutoresizingMask::FlexibleTopMargin |
                                   AutoresizingMask::FlexibleLeftMargin |
                                   AutoresizingMask::FlexibleRightMargin);
    window.addSubview(indicator);
}

double lineHeightOf(const std::shared_ptr<ui::Label>& label) {
    return label && label->font() ? label->font()->lineHeight() : 0;
}

// How the main page places the clock, the date line and the list. It holds the views weakly:
// the page may outlive the lock screen in somebody's hands.
CoverSheetPageView::Layout mainPageLayout(LockScreenLayout layout,
                                          std::weak_ptr<ProminentTimeView> timeView,
                                          std::weak_ptr<ProminentSubtitleDateView> dateLine,
                                          std::weak_ptr<LockScreenDateView> dateView,
                                          std::weak_ptr<ui::View> list) {
    return [=](CoverSheetPageView& page) {
        const base::Size size = page.bounds().size;
        double lineHeight = 0;
        if (auto time = timeView.lock()) {
            lineHeight = lineHeightOf(time->timeLabel());
            if (auto date = dateLine.lock()) date->setFrame(layout.dateLineFrame(size));
            time->setFrame(layout.timeViewFrame(size, lineHeight));
        }
        if (auto date = dateView.lock()) {
            lineHeight = lineHeightOf(date->timeLabel());
            date->setFrame(layout.dateViewFrame(size, lineHeight));
        }
        if (auto listView = list.lock()) {
            listView->setFrame(layout.notificationListFrame(size, lineHeight));
        }
    };
}

}  // namespace

std::unique_ptr<LockScreen> LockScreen::create(graphics::ImageRef wallpaper) {
    std::unique_ptr<LockScreen> lockScreen(new LockScreen());
    lockScreen->build(std::move(wallpaper));
    return lockScreen;
}

LockScreen::~LockScreen() {
    *self_ = nullptr;
    ui::Application::shared()->disconnectScene(scene_.get());
    for (const auto& window : std::initializer_list<std::shared_ptr<ui::Window>>{
             coverSheet_, secureWallpaper_, wallpaper_}) {
        window->setHidden(true);
        window->setWindowScene(nullptr);
    }
}

void LockScreen::build(graphics::ImageRef wallpaper) {
    self_ = std::make_shared<LockScreen*>(this);
    auto screen = ui::Screen::main();
    const base::Rect bounds = screen->bounds();
    const bool modern = base::isOperatingSystemAtLeastVersion({16, 0, 0});
    layout_ = LockScreenLayout::forPage(bounds.size, screen->userInterfaceIdiom(), modern);

    scene_ = ui::WindowScene::create(screen, "com.apple.springboard.lockscreen");
    ui::Application::shared()->connectScene(scene_);

    // Pass 1: the wallpaper windows, plain below secure.
    wallpaper_ = WallpaperWindow::create(bounds);
    secureWallpaper_ = WallpaperSecureWindow::create(bounds);
    wallpaper_->setWindowLevel(kWallpaperLevel);
    secureWallpaper_->setWindowLevel(kSecureWallpaperLevel);
    for (const auto& window : {std::static_pointer_cast<WallpaperWindow>(wallpaper_),
                               std::static_pointer_cast<WallpaperWindow>(secureWallpaper_)}) {
        window->setBackgroundColor(base::Color::black());
        window->setWindowScene(scene_);
    }
    setWallpaper(std::move(wallpaper));

    // Pass 2: the clock of this system generation, its fonts set as the system sets them.
    const text::FontRef timeFont =
        text::Font::systemFont(layout_.timeFontSize, layout_.timeFontWeight);
    const text::FontRef dateFont = text::Font::systemFont(
        layout_.dateFontSize, modern ? text::FontWeight::Semibold : text::FontWeight::Regular);
    std::shared_ptr<ui::Label> time;
    std::shared_ptr<ui::Label> date;
    if (modern) {
        timeView_ = ProminentTimeView::create();
        modernDateLine_ = ProminentSubtitleDateView::create();
        time = timeView_->timeLabel();
        date = modernDateLine_->dateLabel();
    } else {
        dateView_ = LockScreenDateView::create();
        time = dateView_->timeLabel();
        date = dateView_->dateLine()->dateLabel();
    }
    time->setTextColor(base::Color::white(1, 0.96));
    date->setTextColor(base::Color::white(1, 0.9));
    time->setFont(timeFont);
    date->setFont(dateFont);

    // Pass 3: the pages, the list, the cover sheet window.
    listController_ = NotificationStructuredListViewController::create();
    auto listContainer = listController_->view();
    mainPage_ = CoverSheetPageView::create(
        mainPageLayout(layout_, timeView_, modernDateLine_, dateView_, listContainer));
    if (modern) {
        mainPage_->addSubview(modernDateLine_);
        mainPage_->addSubview(timeView_);
    } else {
        mainPage_->addSubview(dateView_);
    }
    mainPage_->addSubview(listContainer);

    pages_ = CoverSheetScrollView::create();
    pages_->addPage(CoverSheetPageView::create());
    pages_->addPage(mainPage_);
    pages_->addPage(CoverSheetPageView::create());

    coverSheet_ = CoverSheetWindow::create(bounds);
    coverSheet_->setWindowLevel(kCoverSheetLevel);
    coverSheet_->setWindowScene(scene_);
    pages_->setFrame(coverSheet_->bounds());
    pages_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                ui::AutoresizingMask::FlexibleHeight);
    coverSheet_->addSubview(pages_);

    addQuickActions(*coverSheet_);

    passcode_ = PasscodeBackgroundView::create(coverSheet_->bounds());
    passcode_->setBackgroundColor(base::Color::white(0, 0.55));
    passcode_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                   ui::AutoresizingMask::FlexibleHeight);
    auto prompt = passcodePrompt();
    prompt->setFrame({0, layout_.clockTop(bounds.size) + 40, bounds.size.width, 28});
    prompt->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
    passcode_->addSubview(prompt);

    // Pass 4: the camera, which slides over the cover sheet when opened.
    camera_ = CameraViewfinderView::create(coverSheet_->bounds());
    camera_->setBackgroundColor(base::Color::black());
    auto controllerView = CameraPreviewViewControllerView::create(camera_->bounds());
    auto preview = CameraPreviewView::create(
        {0, bounds.size.height * 0.12, bounds.size.width, bounds.size.height * 0.66});
    preview->setBackgroundColor(base::Color(0.16, 0.18, 0.2));
    auto fullscreen = CameraFullscreenViewfinderView::create(camera_->bounds());
    for (const auto& view :
         std::initializer_list<std::shared_ptr<ui::View>>{camera_, controllerView, fullscreen}) {
        view->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                  ui::AutoresizingMask::FlexibleHeight);
    }
    controllerView->addSubview(preview);
    camera_->addSubview(controllerView);
    camera_->addSubview(fullscreen);

    wallpaper_->makeKeyAndVisible();
    secureWallpaper_->makeKeyAndVisible();
    coverSheet_->makeKeyAndVisible();

    updateClock();
    layoutIfNeeded();
    scheduleMinuteUpdate();
}

std::shared_ptr<ui::View> LockScreen::clockView() const {
    if (timeView_) return timeView_;
    return dateView_;
}

std::shared_ptr<ui::Label> LockScreen::timeLabel() const {
    if (timeView_) return timeView_->timeLabel();
    return dateView_->timeLabel();
}

std::shared_ptr<ui::View> LockScreen::dateLineView() const {
    if (modernDateLine_) return modernDateLine_;
    return dateView_->dateLine();
}

std::shared_ptr<ui::Label> LockScreen::dateLabel() const {
    if (modernDateLine_) return modernDateLine_->dateLabel();
    return dateView_->dateLine()->dateLabel();
}

void LockScreen::setWallpaper(graphics::ImageRef wallpaper) {
    wallpaper_->imageView()->setImage(wallpaper);
    secureWallpaper_->imageView()->setImage(std::move(wallpaper));
}

void LockScreen::updateClock() {
    const dispatch::Date now = dispatch::wallClockNow();
    const std::string time = lockScreenTimeText(now);
    const std::string date = lockScreenDateText(now);
    auto timeLabel = this->timeLabel();
    auto dateLabel = this->dateLabel();
    if (!time.empty() && timeLabel->text() != time) timeLabel->setText(time);
    // The date is set when the day's text changes, not whenever the label shows something else:
    // code in the process may show the date in a form of its own.
    if (!date.empty() && date != shownDate_) {
        shownDate_ = date;
        dateLabel->setText(date);
    }
}

void LockScreen::scheduleMinuteUpdate() {
    using namespace std::chrono;
    const auto sinceEpoch = dispatch::wallClockNow().time_since_epoch();
    const auto intoMinute = duration_cast<nanoseconds>(sinceEpoch) % minutes(1);
    const auto delay = minutes(1) - intoMinute;
    std::weak_ptr<LockScreen*> weak = self_;
    dispatch::Queue::main()->after(delay.count(), [weak] {
        auto self = weak.lock();
        if (!self || *self == nullptr) return;
        (*self)->updateClock();
        (*self)->scheduleMinuteUpdate();
    });
}

bool LockScreen::addNotification(const Notification& notification) {
    return listView()->addNotification(notification);
}

bool LockScreen::removeNotification(const std::string& identifier) {
    return listView()->removeNotification(identifier);
}

void LockScreen::scrollToPage(double page, bool animated) {
    const double clamped = std::clamp(page, 0.0, double(CoverSheetScrollView::kPageCount - 1));
    pages_->setContentOffset({clamped * pages_->bounds().size.width, 0}, animated);
}

void LockScreen::scrollList(double offsetY, bool animated) {
    listView()->setContentOffset({0, offsetY}, animated);
}

void LockScreen::setPasscodeVisible(bool visible) {
    if (visible == isPasscodeVisible()) return;
    if (visible) {
        passcode_->setFrame(coverSheet_->bounds());
        coverSheet_->addSubview(passcode_);
    } else {
        passcode_->removeFromSuperview();
    }
    // The passcode entry takes the clock's place: the stock clock fades out under it, and the
    // cover sheet lays its clock out again for the new state.
    timeLabel()->setAlpha(visible ? 0.0 : 1.0);
    clockView()->setNeedsLayout();
}

void LockScreen::setCameraOpen(bool open) {
    if (open == isCameraOpen()) return;
    if (open) {
        camera_->setFrame(coverSheet_->bounds());
        coverSheet_->addSubview(camera_);
    } else {
        camera_->removeFromSuperview();
    }
    clockView()->setNeedsLayout();
}

void LockScreen::setScreenSize(base::Size size) {
    if (!(size.width > 0) || !(size.height > 0)) return;
    for (const auto& window : std::initializer_list<std::shared_ptr<ui::Window>>{
             wallpaper_, secureWallpaper_, coverSheet_}) {
        window->setFrame({0, 0, size.width, size.height});
    }
    scene_->setInterfaceOrientation(size.width > size.height
                                        ? ui::InterfaceOrientation::LandscapeRight
                                        : ui::InterfaceOrientation::Portrait);
    layoutIfNeeded();
}

void LockScreen::layoutIfNeeded() {
    for (const auto& window : std::initializer_list<std::shared_ptr<ui::Window>>{
             wallpaper_, secureWallpaper_, coverSheet_}) {
        window->layoutIfNeeded();
    }
}

}  // namespace lockscreen

#include "ChromeTestFixture.h"

#include "platform/ui/FrameStepping.h"

QV_DEFINE_CLASS(CountingPage, "QVTestCountingPage");

void CountingPage::registerMethods(runtime::MethodList<CountingPage>& methods) {
    methods.add<&CountingPage::reset>(kReset).add<&CountingPage::back>(kBack);
}

ChromeTest::ChromeTest() {
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Light);
    window = ui::Window::create(ui::Screen::main()->bounds());
    window->makeKeyAndVisible();
}

ChromeTest::~ChromeTest() {
    if (finger.isTouching()) finger.touchCancel();
    window->setHidden(true);
    window.reset();
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
    ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Light);
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
}

void ChromeTest::runUntilSeconds(double seconds) {
    dispatch::RunLoop::main().runUntil(dispatch::nanosFromSeconds(T0 + seconds));
}

std::shared_ptr<CountingPage> ChromeTest::showPage() {
    auto page = std::make_shared<CountingPage>();
    window->setRootViewController(page);
    window->layoutIfNeeded();
    ui::testing::runFrames(1);
    return page;
}

base::Point ChromeTest::centerOnScreen(const ui::View& view) {
    const base::Rect r = view.convertRect(view.bounds(), nullptr);
    return {r.midX(), r.midY()};
}

bool ChromeTest::tap(const ui::View& view) {
    return finger.tap(centerOnScreen(view));
}

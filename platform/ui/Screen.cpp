#include "platform/ui/Screen.h"

#include "platform/graphics/ScreenScale.h"
#include "platform/ui/Window.h"
#include "platform/ui/detail/ViewHierarchy.h"

namespace ui {

QV_DEFINE_CLASS(Screen, "UIScreen");

Screen::Screen() : profile_(DeviceProfile::modernPhone()) {}

std::shared_ptr<Screen> Screen::main() {
    // Lives as long as the process, like the display it stands for.
    static auto* screen = new std::shared_ptr<Screen>([] {
        auto s = std::make_shared<Screen>();
        graphics::setMainScreenScale(s->scale());
        return s;
    }());
    return *screen;
}

void Screen::setMainProfile(const DeviceProfile& profile, bool applySystemVersion) {
    main()->apply(profile);
    if (applySystemVersion) base::setOperatingSystemVersion(profile.systemVersion);
}

void Screen::apply(const DeviceProfile& profile) {
    profile_ = profile;
    graphics::setMainScreenScale(profile.scale);
}

TraitCollection Screen::traitCollection() const {
    TraitCollection traits;
    traits.userInterfaceStyle = style_;
    traits.userInterfaceIdiom = profile_.idiom;
    traits.displayScale = profile_.scale;
    return traits;
}

void Screen::setUserInterfaceStyle(UserInterfaceStyle style) {
    if (style == UserInterfaceStyle::Unspecified) style = UserInterfaceStyle::Light;
    if (style == style_) return;
    const std::vector<std::shared_ptr<Window>> windows = Window::allWindows();
    std::vector<TraitCollection> before;
    before.reserve(windows.size());
    for (const auto& w : windows) before.push_back(w->traitCollection());
    style_ = style;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        detail::ViewHierarchy::propagateTraits(*windows[i], before[i],
                                               windows[i]->traitCollection());
    }
}

}  // namespace ui

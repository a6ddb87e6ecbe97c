#include "tests/glass/GlassViewTestSupport.h"

#include <algorithm>
#include <cmath>

#include "platform/prefs/PreferenceService.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"

GlassViewTest::GlassViewTest() {
    lg::detail::resetPrefsStoreForTesting();
}

GlassViewTest::~GlassViewTest() {
    if (window) window->setHidden(true);
    window.reset();
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
    lg::detail::resetPrefsStoreForTesting();
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
}

void GlassViewTest::SetUp() {
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone(), false);
    ASSERT_TRUE(LGGlassContextEnsure()) << "no GPU context";
    window = ui::Window::create(ui::Screen::main()->bounds());
    window->makeKeyAndVisible();
}

void GlassViewTest::setPreferences(const base::PlistDictionary& entries) {
    prefs::PreferenceService service(root.preferencesFolder());
    for (const auto& [key, value] : entries) service.setValue(key, value, kLGPrefsDomain);
    ASSERT_TRUE(service.synchronize(kLGPrefsDomain));
    lg::detail::resetPrefsStoreForTesting();
}

std::shared_ptr<LiquidGlassView> GlassViewTest::makeGlass(const base::Rect& frame,
                                                          graphics::ImageRef wallpaper,
                                                          base::Point wallpaperOrigin) {
    auto view = LiquidGlassView::create(frame, std::move(wallpaper), wallpaperOrigin);
    if (!view) return nullptr;
    window->addSubview(view);
    view->layoutIfNeeded();
    return view;
}

void GlassViewTest::drain() {
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
}

void GlassViewTest::runFor(double seconds) {
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos() + dispatch::nanosFromSeconds(seconds));
}

graphics::ImageRef makeTestImage(int width, int height, int period, double scale) {
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool stripe = ((x + y) / period) % 2 == 0;
            std::uint8_t* p = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
            p[0] = static_cast<std::uint8_t>(stripe ? 230 : 20);              // blue
            p[1] = static_cast<std::uint8_t>(255 * y / std::max(1, height));  // green
            p[2] = static_cast<std::uint8_t>(255 * x / std::max(1, width));   // red
            p[3] = 255;
        }
    }
    return graphics::Image::adoptPixels(std::move(pixels), width, height, scale,
                                        graphics::ImageOrientation::Up, true);
}

graphics::ImageRef makeDiscMask(int width, int height, double scale) {
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    const double cx = width / 2.0, cy = height / 2.0, r = std::min(width, height) * 0.4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const auto a =
                static_cast<std::uint8_t>(std::lround(255.0 * std::clamp(r - d + 0.5, 0.0, 1.0)));
            std::uint8_t* p = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
            p[0] = p[1] = p[2] = p[3] = a;
        }
    }
    return graphics::Image::adoptPixels(std::move(pixels), width, height, scale);
}

std::vector<std::uint8_t> readTexture(const gpu::Texture& texture) {
    std::vector<std::uint8_t> bytes(texture.width() * texture.height() * 4);
    texture.getBytes(bytes.data(), texture.width() * 4, texture.wholeRegion());
    return bytes;
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "ChromeTestFixture.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/StackView.h"
#include "platform/ui/SystemColors.h"
#include "settings/chrome/LGPageChrome.h"
#include "settings/chrome/LGTopFadeView.h"
#include "settings/chrome/detail/LGResetConfirmationView.h"
#include "settings/model/LGSettingsItems.h"

// The chrome over a plain page, drawn by the platform's compositor in light and dark appearance:
// the pictures go to $QV_CHROME_PNG_DIR (or a temporary folder) for a person to look at, and the
// test checks what can be checked in them.

namespace {

constexpr double kScale = 2;
constexpr double kFadeHeight = 100;
// An opaque band at the top of the page, under the fade, so that the fade's effect can be
// measured against a known colour in both appearances.
const base::Color kBandColor(0.25, 0.52, 0.85);
// Channel tolerance: 8-bit storage and rounding in two blends.
constexpr double kTolerance = 3.0 / 255;

struct RGB {
    double r, g, b;
};

RGB pixel(const graphics::Image& image, int x, int y) {
    const graphics::Pixel p = image.pixelAt(x, y);
    const double a = p.a > 0 ? p.a / 255.0 : 1;
    return {p.r / 255.0 / a, p.g / 255.0 / a, p.b / 255.0 / a};
}

double luminance(const RGB& c) {
    return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
}

// The fade's alpha at `t` (0 top … 1 bottom): linear between its three stops.
double fadeAlpha(double t) {
    const auto& a = LGTopFadeView::kAlphas;
    const auto& l = LGTopFadeView::kLocations;
    if (t <= l[1]) return a[0] + (a[1] - a[0]) * (t - l[0]) / (l[1] - l[0]);
    return a[1] + (a[2] - a[1]) * (t - l[1]) / (l[2] - l[1]);
}

// Whether every glyph of the label's shaped text came from a font that has it.
bool drawsEveryGlyph(const ui::Label& label) {
    const auto line = label.textLine();
    if (!line || line->runs().empty()) return false;
    for (const auto& run : line->runs()) {
        if (std::count(run.glyphs.begin(), run.glyphs.end(), 0u) > 0) return false;
    }
    return true;
}

std::filesystem::path pictureFolder() {
    if (const char* dir = std::getenv("QV_CHROME_PNG_DIR"); dir && *dir) return dir;
    return std::filesystem::temp_directory_path() / "quorvane-chrome";
}

// A page as the settings page lays itself out, without its controls: the band, then panels of
// row titles taken from the page definition.
class PlainPage : public CountingPage {
  public:
    void build() {
        const auto& root = view();
        root->setBackgroundColor(ui::colors::systemGroupedBackground());
        const double width = root->bounds().width();

        band = ui::View::create({0, 0, width, 170});
        band->setBackgroundColor(kBandColor);
        band->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
        root->addSubview(band);

        double y = 186;
        std::shared_ptr<ui::StackView> panel;
        for (const LGSettingsItem& item : LGLockscreenSurfaceItems()) {
            if (y > 700) break;
            if (item.string("type") == "section") {
                panel = nullptr;
                continue;
            }
            if (!panel) {
                panel = ui::StackView::create(base::Rect{16, y, width - 32, 0});
                panel->setAxis(ui::LayoutAxis::Vertical);
                panel->setBackgroundColor(
                    base::Color::dynamic(base::Color::white(1, 0.76), base::Color::white(1, 0.07)));
                panel->layer()->setCornerRadius(23.25);
                panel->layer()->setCornerCurve(ui::CornerCurve::Continuous);
                panel->setClipsToBounds(true);
                root->addSubview(panel);
                y += 12;
            }
            auto title = ui::Label::create({14, 0, width - 60, 50});
            title->setText(item.string("title"));
            title->setFont(text::Font::systemFont(17, text::FontWeight::Semibold));
            auto row = ui::View::create({0, 0, width - 32, 50});
            row->addSubview(title);
            panel->addArrangedSubview(row);
            auto frame = panel->frame();
            frame.size.height += 50;
            panel->setFrame(frame);
            y += 50;
            rowTitles.push_back(title);
        }

        fade = LGTopFadeView::create({0, 0, width, kFadeHeight});
        fade->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
        root->addSubview(fade);
    }

    std::shared_ptr<ui::View> band;
    std::shared_ptr<LGTopFadeView> fade;
    std::vector<std::shared_ptr<ui::Label>> rowTitles;
};

}  // namespace

using ChromeRenderTest = ChromeTest;

TEST_F(ChromeRenderTest, ChromeOverAPlainPageInLightAndDark) {
    auto home = std::make_shared<ui::ViewController>();
    home->setTitle("设置");
    auto nav = ui::NavigationController::create(home);
    window->setRootViewController(nav);

    auto page = std::make_shared<PlainPage>();
    page->setTitle("锁屏时钟");
    page->build();
    const auto& item = page->navigationItem();
    LGInstallCustomBackButton(*item, page, CountingPage::kBack.selector());
    item->setRightBarButtonItem(LGResetBarButtonItem("", page, CountingPage::kReset.selector()));
    LGApplyTransparentNavigationBar(*item);
    nav->pushViewController(page, false);
    runUntilSeconds(0.1);
    LGPresentResetConfirmation(page, "", CountingPage::kReset.selector());
    runUntilSeconds(0.5);
    window->layoutIfNeeded();

    const auto overlay = std::dynamic_pointer_cast<LGResetConfirmationView>(
        page->view()->viewWithTag(kLGResetConfirmationTag));
    ASSERT_TRUE(overlay);
    const auto& bar = nav->navigationBar();
    ASSERT_EQ(bar->leftButtons().size(), 1u);
    ASSERT_EQ(bar->rightButtons().size(), 1u);
    EXPECT_EQ(bar->rightButtons()[0]->currentTitle(), "重置");
    EXPECT_EQ(bar->titleLabel()->text(), "锁屏时钟");

    // Every Chinese text on screen has its glyphs (a missing one would draw as an empty box).
    for (const ui::Label* label :
         {bar->titleLabel().get(), overlay->titleLabel().get(), overlay->messageLabel().get(),
          overlay->confirmButton()->titleLabel().get(), overlay->cancelButton()->titleLabel().get(),
          bar->rightButtons()[0]->titleLabel().get()}) {
        EXPECT_TRUE(drawsEveryGlyph(*label)) << label->text();
    }
    for (const auto& title : page->rowTitles) {
        EXPECT_TRUE(drawsEveryGlyph(*title)) << title->text();
    }

    // A column of the band that the bar leaves clear: between the back button and the title.
    const base::Rect back =
        bar->leftButtons()[0]->convertRect(bar->leftButtons()[0]->bounds(), nullptr);
    const base::Rect barTitle = bar->titleLabel()->convertRect(
        bar->titleLabel()->textLine() ? bar->titleLabel()->bounds() : base::Rect{}, nullptr);
    const double column = (back.maxX() + std::min(barTitle.minX(), 150.0)) / 2;
    ASSERT_GT(column, back.maxX());
    const base::Rect fadeOnScreen = page->fade->convertRect(page->fade->bounds(), nullptr);
    const int px = int(column * kScale);

    std::filesystem::create_directories(pictureFolder());
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        ui::Screen::main()->setUserInterfaceStyle(dark ? ui::UserInterfaceStyle::Dark
                                                       : ui::UserInterfaceStyle::Light);
        window->layoutIfNeeded();
        const auto image = ui::renderViewImage(*window, kScale);
        ASSERT_TRUE(image);
        const std::string path =
            (pictureFolder() / (dark ? "chrome-dark.png" : "chrome-light.png")).string();
        std::string reason;
        ASSERT_TRUE(ui::writeViewPNG(*window, kScale, path, &reason)) << reason;
        std::cout << "[ picture  ] " << path << "\n";

        // The fade: its colour over the band at a few rows, everything under the card's 24 %
        // black veil.
        const base::Color top = ui::colors::systemBackground().resolved(dark);
        for (const double at : {0.04, 0.25, 0.45, 0.7, 0.95}) {
            const int py = int((fadeOnScreen.minY() + at * kFadeHeight) * kScale);
            const double t = ((py + 0.5) / kScale - fadeOnScreen.minY()) / kFadeHeight;
            const double a = fadeAlpha(t);
            const auto mix = [&](double fadeChannel, double bandChannel) {
                return (fadeChannel * a + bandChannel * (1 - a)) * (1 - 0.24);
            };
            const RGB seen = pixel(*image, px, py);
            EXPECT_NEAR(seen.r, mix(top.red(), kBandColor.red()), kTolerance) << "t=" << t;
            EXPECT_NEAR(seen.g, mix(top.green(), kBandColor.green()), kTolerance) << "t=" << t;
            EXPECT_NEAR(seen.b, mix(top.blue(), kBandColor.blue()), kTolerance) << "t=" << t;
        }

        // The card's title left ink: pixels inside its frame that stand out from the card.
        const base::Rect titleRect =
            overlay->titleLabel()->convertRect(overlay->titleLabel()->bounds(), nullptr);
        const RGB cardColor = pixel(*image, int((titleRect.minX() - 8) * kScale),
                                    int((titleRect.minY() - 8) * kScale));
        int inked = 0;
        for (int y = int(titleRect.minY() * kScale); y < int(titleRect.maxY() * kScale); ++y) {
            for (int x = int(titleRect.minX() * kScale); x < int(titleRect.maxX() * kScale); ++x) {
                inked += std::abs(luminance(pixel(*image, x, y)) - luminance(cardColor)) > 0.3;
            }
        }
        EXPECT_GT(inked, 400) << "the title drew its glyphs";
    }
}

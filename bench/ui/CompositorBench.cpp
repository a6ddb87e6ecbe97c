// Composing a full phone screen: a 393 × 852 point window at 3 pixels per point (1179 × 2556
// pixels) showing a full-screen image under 30 labels, as the lock screen and the settings page
// look to the compositor. Prints milliseconds per composed frame; it never fails on time.
//
//   qv_compositor_bench [frames] [last-frame.png]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Window.h"

namespace {

// A wallpaper-like image: smooth colour ramps, opaque, at the screen's pixel size.
graphics::ImageRef wallpaper(int width, int height) {
    std::vector<uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
            p[0] = uint8_t(255 * y / height);
            p[1] = uint8_t(128 + 127 * x / width);
            p[2] = uint8_t(255 - 255 * y / height);
            p[3] = 255;
        }
    }
    return graphics::Image::adoptPixels(std::move(pixels), width, height, 3.0);
}

struct Timing {
    double mean = 0, best = 0, worst = 0;
};

template <class Compose>
Timing measure(int frames, Compose&& compose) {
    compose();  // warm caches (fonts, glyph outlines)
    std::vector<double> ms;
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        compose();
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    Timing t;
    for (double v : ms) t.mean += v;
    t.mean /= double(ms.size());
    t.best = *std::min_element(ms.begin(), ms.end());
    t.worst = *std::max_element(ms.begin(), ms.end());
    return t;
}

void report(const char* name, const Timing& t) {
    std::printf("%-44s mean %7.2f ms   best %7.2f ms   worst %7.2f ms\n", name, t.mean, t.best,
                t.worst);
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const base::Rect screen{0, 0, 393, 852};
    auto window = ui::Window::create(screen);
    window->setHidden(false);
    auto background = ui::ImageView::create(screen);
    background->setImage(wallpaper(1179, 2556));
    background->setContentMode(ui::ContentMode::ScaleAspectFill);
    window->addSubview(background);

    std::vector<std::shared_ptr<ui::Label>> labels;
    for (int i = 0; i < 30; ++i) {
        auto label = ui::Label::create({16, 40.0 + i * 26.0, 361, 24});
        label->setText("Notification " + std::to_string(i + 1) + " · 9:41 · Quorvane");
        label->setTextColor(base::Color(1, 1, 1));
        label->setTextAlignment(i % 3 == 0   ? ui::TextAlignment::Left
                                : i % 3 == 1 ? ui::TextAlignment::Center
                                             : ui::TextAlignment::Right);
        window->addSubview(label);
        labels.push_back(label);
    }

    std::printf("composing %d frames of a 393 x 852 pt screen at 3x (1179 x 2556 px)\n", frames);
    report("full-screen image + 30 labels",
           measure(frames, [&] { (void)ui::renderViewImage(*window, 3); }));

    // The same screen with the labels on translucent, rounded, shadowed cards: every card is a
    // group and a blurred shadow.
    for (auto& label : labels) {
        label->setBackgroundColor(base::Color(0, 0, 0, 0.25));
        label->layer()->setCornerRadius(8);
        label->layer()->setCornerCurve(ui::CornerCurve::Continuous);
        label->setAlpha(0.9);
        label->layer()->setShadowOpacity(0.2f);
        label->layer()->setShadowRadius(6);
        label->layer()->setShadowOffset({0, 2});
    }
    report("... labels on translucent shadowed cards",
           measure(frames, [&] { (void)ui::renderViewImage(*window, 3); }));

    if (argc > 2) {
        std::string reason;
        if (!ui::writeViewPNG(*window, 3, argv[2], &reason)) {
            std::fprintf(stderr, "could not write %s: %s\n", argv[2], reason.c_str());
            return 1;
        }
    }
    return 0;
}

#include "platform/ui/Compositor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "SurfaceTestSupport.h"
#include "UiTestSupport.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/ImageFile.h"
#include "platform/ui/GpuSurfaceView.h"
#include "platform/ui/GradientLayer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/detail/LabelLayout.h"
#include "platform/ui/detail/LayerShape.h"

using graphics::Pixel;
using ui::View;

namespace {

// Render tests compose small trees at 1 pixel per point unless they test the scale, and compare
// with the same geometry computed here. Pixels within one pixel of an edge are antialiased and
// skipped by the coverage references.
class CompositorTest : public UiTest {
  protected:
    static std::shared_ptr<View> box(base::Rect frame, base::Color color) {
        auto v = View::create(frame);
        v->setBackgroundColor(color);
        return v;
    }
};

const base::Color kRed(1, 0, 0);
const base::Color kBlue(0, 0, 1);
const base::Color kWhite(1, 1, 1);
const base::Color kBlack(0, 0, 0);

constexpr Pixel kClearPixel{0, 0, 0, 0};
constexpr Pixel kRedPixel{0, 0, 255, 255};
constexpr Pixel kBluePixel{255, 0, 0, 255};

bool near(Pixel a, Pixel b, int tolerance) {
    return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.r - b.r) <= tolerance && std::abs(a.a - b.a) <= tolerance;
}

std::string describe(Pixel p) {
    char text[64];
    std::snprintf(text, sizeof text, "(b%d g%d r%d a%d)", p.b, p.g, p.r, p.a);
    return text;
}

// Signed distance from a point to a circular rounded rectangle (negative inside).
double roundedRectDistance(base::Point p, const base::Rect& r, double radius) {
    const double cx = std::clamp(p.x, r.minX() + radius, r.maxX() - radius);
    const double cy = std::clamp(p.y, r.minY() + radius, r.maxY() - radius);
    const double dx = p.x - cx, dy = p.y - cy;
    const bool inCore = dx == 0 && dy == 0;
    if (inCore) {
        return -std::min({p.x - r.minX(), r.maxX() - p.x, p.y - r.minY(), r.maxY() - p.y});
    }
    return std::hypot(dx, dy) - radius;
}

// Checks every pixel whose centre lies clearly inside or outside `inside` (by the signed
// distance it returns, in pixels): inside pixels must equal `in`, outside ones `out`.
void expectCoverage(const graphics::Image& image, const std::function<double(base::Point)>& sdf,
                    Pixel in, Pixel out, int tolerance = 1) {
    int checked = 0, failures = 0;
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            const double d = sdf({x + 0.5, y + 0.5});
            if (std::abs(d) < 1.0) continue;
            ++checked;
            const Pixel want = d < 0 ? in : out;
            const Pixel got = image.pixelAt(x, y);
            if (!near(got, want, tolerance) && ++failures <= 5) {
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << describe(got)
                              << ", expected " << describe(want);
            }
        }
    }
    EXPECT_GT(checked, 0);
    EXPECT_EQ(failures, 0);
}

}  // namespace

TEST_F(CompositorTest, NestedClipsWithRoundedCornersKeepOnlyWhatBothShapesCover) {
    auto root = View::create({0, 0, 60, 60});
    auto outer = View::create({5, 5, 50, 50});
    outer->setClipsToBounds(true);
    outer->layer()->setCornerRadius(12);
    auto inner = View::create({20, 20, 40, 40});  // overhangs the outer view's corner
    inner->setClipsToBounds(true);
    inner->layer()->setCornerRadius(10);
    auto fill = box({-30, -30, 100, 100}, kRed);  // larger than both clips
    root->addSubview(outer);
    outer->addSubview(inner);
    inner->addSubview(fill);

    const auto image = ui::renderViewImage(*root, 1);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixelWidth(), 60);
    const base::Rect outerRect{5, 5, 50, 50}, innerRect{25, 25, 40, 40};
    expectCoverage(
        *image,
        [&](base::Point p) {
            return std::max(roundedRectDistance(p, outerRect, 12),
                            roundedRectDistance(p, innerRect, 10));
        },
        kRedPixel, kClearPixel);
    // The outer view's bottom-right corner cuts through the inner view.
    EXPECT_EQ(image->pixelAt(53, 53), kClearPixel);
    EXPECT_EQ(image->pixelAt(40, 40), kRedPixel);
}

TEST_F(CompositorTest, ScaleMultipliesPixelsNotGeometry) {
    auto root = box({0, 0, 10, 10}, kBlue);
    root->layer()->setCornerRadius(4);
    for (double scale : {1.0, 2.0, 3.0}) {
        const auto image = ui::renderViewImage(*root, scale);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixelWidth(), int(10 * scale));
        EXPECT_DOUBLE_EQ(image->scale(), scale);
        expectCoverage(
            *image,
            [&](base::Point p) {
                return roundedRectDistance({p.x / scale, p.y / scale}, {0, 0, 10, 10}, 4) * scale;
            },
            kBluePixel, kClearPixel);
    }
    EXPECT_EQ(ui::renderViewImage(*View::create({0, 0, 0, 10}), 1), nullptr);
    EXPECT_EQ(ui::renderViewImage(*root, -1), nullptr);
}

TEST_F(CompositorTest, AlphaMultipliesDownTheTreeAndTranslucentSubtreesCompositeAsOne) {
    auto root = View::create({0, 0, 30, 10});
    auto group = View::create({0, 0, 30, 10});
    group->setAlpha(0.5);
    // Two overlapping opaque children: in the overlap only the top one may show.
    group->addSubview(box({0, 0, 20, 10}, kRed));
    group->addSubview(box({10, 0, 10, 10}, kBlue));
    auto nested = box({20, 0, 10, 10}, kBlue);
    nested->setAlpha(0.5);
    group->addSubview(nested);
    root->addSubview(group);

    const auto image = ui::renderViewImage(*root, 1);
    ASSERT_TRUE(image);
    EXPECT_TRUE(near(image->pixelAt(5, 5), Pixel{0, 0, 128, 128}, 1));
    EXPECT_TRUE(near(image->pixelAt(15, 5), Pixel{128, 0, 0, 128}, 1))
        << describe(image->pixelAt(15, 5));
    EXPECT_TRUE(near(image->pixelAt(25, 5), Pixel{64, 0, 0, 64}, 1))
        << describe(image->pixelAt(25, 5));

    // A hidden view and a view at alpha 0 draw nothing, their subviews included.
    group->setAlpha(1);
    group->setHidden(true);
    EXPECT_EQ(ui::renderViewImage(*root, 1)->pixelAt(5, 5), kClearPixel);
    group->setHidden(false);
    group->setAlpha(0);
    EXPECT_EQ(ui::renderViewImage(*root, 1)->pixelAt(5, 5), kClearPixel);
}

TEST_F(CompositorTest, AMaskViewCutsALabel) {
    auto label = ui::Label::create({0, 0, 80, 30});
    label->setText("MMMM");
    label->setFont(text::Font::boldSystemFont(28));
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setTextColor(kBlack);
    const auto plain = ui::renderViewImage(*label, 1);
    ASSERT_TRUE(plain);

    // The mask is opaque on the left half and clear on the right.
    auto mask = box({0, 0, 40, 30}, kWhite);
    label->setMaskView(mask);
    const auto masked = ui::renderViewImage(*label, 1);
    ASSERT_TRUE(masked);
    int inkLeft = 0, inkRight = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            const Pixel p = masked->pixelAt(x, y);
            if (x < 40) {
                EXPECT_EQ(p, plain->pixelAt(x, y)) << x << "," << y;
                inkLeft += p.a > 0;
            } else {
                EXPECT_EQ(p, kClearPixel) << x << "," << y;
                inkRight += plain->pixelAt(x, y).a > 0;
            }
        }
    }
    // The text really crossed the cut.
    EXPECT_GT(inkLeft, 50);
    EXPECT_GT(inkRight, 50);

    // A translucent mask scales what it covers.
    mask->setBackgroundColor(base::Color(1, 1, 1, 0.5));
    const auto half = ui::renderViewImage(*label, 1);
    int compared = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const Pixel p = plain->pixelAt(x, y);
            if (p.a != 255) continue;
            EXPECT_NEAR(half->pixelAt(x, y).a, 128, 1);
            ++compared;
        }
    }
    EXPECT_GT(compared, 20);
}

TEST_F(CompositorTest, ATransformScalesAndTurnsAroundTheCentre) {
    auto root = View::create({0, 0, 40, 40});
    auto square = box({10, 10, 20, 20}, kRed);
    root->addSubview(square);
    square->setTransform(base::AffineTransform::scale(0.5, 0.5));
    auto image = ui::renderViewImage(*root, 1);
    expectCoverage(
        *image,
        [](base::Point p) {
            return roundedRectDistance(p, {15, 15, 10, 10}, 0);
        },
        kRedPixel, kClearPixel);

    // A bar turned a quarter stands upright about the same centre.
    auto bar = box({5, 15, 30, 10}, kBlue);
    square->removeFromSuperview();
    root->addSubview(bar);
    bar->setTransform(base::AffineTransform::rotation(M_PI / 2));
    image = ui::renderViewImage(*root, 2);
    expectCoverage(
        *image,
        [](base::Point p) {
            return roundedRectDistance({p.x / 2, p.y / 2}, {15, 5, 10, 30}, 0) * 2;
        },
        kBluePixel, kClearPixel);

    // A transform squashed flat draws nothing rather than breaking the drawing.
    bar->setTransform(base::AffineTransform::scale(0, 1));
    EXPECT_EQ(ui::renderViewImage(*root, 1)->pixelAt(20, 20), kClearPixel);
}

TEST_F(CompositorTest, ARunningAnimationIsDrawnAsShownNow) {
    auto root = View::create({0, 0, 10, 10});
    auto square = box({0, 0, 10, 10}, kRed);
    root->addSubview(square);
    View::animate(1.0, 0, ui::AnimationOptions::CurveLinear, [&] { square->setAlpha(0); });
    runUntilSeconds(0.25);
    EXPECT_TRUE(near(ui::renderViewImage(*root, 1)->pixelAt(5, 5), Pixel{0, 0, 191, 191}, 2));
    runUntilSeconds(1.5);
    EXPECT_EQ(ui::renderViewImage(*root, 1)->pixelAt(5, 5), kClearPixel);
}

TEST_F(CompositorTest, AShadowIsTheBlurredShapeMovedByItsOffset) {
    // A wide bar, so that across its lower edge the shadow is a one-dimensional Gaussian edge:
    // coverage(y) = ½ (1 + erf((edge − y) / (σ √2))) with σ = radius / 2.
    auto root = View::create({0, 0, 100, 60});
    auto bar = box({-50, 0, 200, 20}, kWhite);
    bar->layer()->setShadowOpacity(0.8f);
    bar->layer()->setShadowRadius(6);
    bar->layer()->setShadowOffset({0, 10});
    bar->layer()->setShadowColor(kBlack);
    root->addSubview(bar);

    const auto image = ui::renderViewImage(*root, 2);  // pixels: σ = 6, edge at 60
    const double sigma = 6, edge = 60;
    EXPECT_EQ(image->pixelAt(100, 39), (Pixel{255, 255, 255, 255}));
    for (int y = 40; y < 100; ++y) {
        const double coverage = 0.5 * (1 + std::erf((edge - (y + 0.5)) / (sigma * std::sqrt(2))));
        const Pixel p = image->pixelAt(100, y);
        EXPECT_EQ(p.r, 0) << y;
        EXPECT_NEAR(p.a, 255 * 0.8 * coverage, 3) << y;
    }

    // A layer that masks to its bounds clips its own shadow away.
    bar->setClipsToBounds(true);
    EXPECT_EQ(ui::renderViewImage(*root, 2)->pixelAt(100, 60), kClearPixel);
}

TEST_F(CompositorTest, AShadowPathCastsTheShadowOfThePathNotOfTheContent) {
    auto root = View::create({0, 0, 40, 40});
    auto clearView = View::create({0, 0, 40, 40});  // draws nothing itself
    auto path = std::make_shared<graphics::Path>();
    path->addRect({10, 10, 10, 10});
    clearView->layer()->setShadowPath(path);
    clearView->layer()->setShadowOpacity(1);
    clearView->layer()->setShadowRadius(0);
    clearView->layer()->setShadowOffset({5, 0});
    root->addSubview(clearView);
    const auto image = ui::renderViewImage(*root, 1);
    expectCoverage(
        *image,
        [](base::Point p) {
            return roundedRectDistance(p, {15, 10, 10, 10}, 0);
        },
        Pixel{0, 0, 0, 255}, kClearPixel);
}

TEST_F(CompositorTest, ARingShapedShadowPathGivesAnInnerShadow) {
    // The inset shadow arrangement of the glass controls: a clipping capsule holds a view whose
    // shadow path is a slightly larger outline plus a reversed, slightly smaller one; the ring's
    // shadow falls inward and darkens the rim, most where the offset pushes it.
    auto root = View::create({0, 0, 80, 40});
    auto capsule = View::create({0, 0, 80, 40});
    capsule->setClipsToBounds(true);
    capsule->layer()->setCornerRadius(20);
    root->addSubview(capsule);
    auto inset = View::create({0, 0, 80, 40});
    capsule->addSubview(inset);

    graphics::Path ring;
    ring.addRoundedRect({-1, -1.75, 82, 43.5}, 20);
    graphics::Path hole;
    hole.addRoundedRect({0, 1.925, 80, 36.15}, 20);
    // Reverse the hole by mirroring it top to bottom about its centre line.
    ring.addPath(hole, base::AffineTransform::translation(0, -20)
                           .concat(base::AffineTransform::scale(1, -1))
                           .concat(base::AffineTransform::translation(0, 20)));
    inset->layer()->setShadowPath(std::make_shared<graphics::Path>(ring));
    inset->layer()->setShadowColor(kBlack);
    inset->layer()->setShadowOpacity(0.5f);
    inset->layer()->setShadowRadius(3.5);
    inset->layer()->setShadowOffset({0, 2.625});

    const auto image = ui::renderViewImage(*root, 2);
    const int topRim = image->pixelAt(80, 5).a;
    const int centre = image->pixelAt(80, 40).a;
    const int bottomRim = image->pixelAt(80, 76).a;
    EXPECT_GT(topRim, 40);
    EXPECT_LT(centre, 3);
    EXPECT_GT(topRim, bottomRim);
    // Nothing outside the clipping capsule.
    EXPECT_EQ(image->pixelAt(0, 0), kClearPixel);
}

TEST_F(CompositorTest, AGradientLayerInterpolatesBetweenItsStops) {
    auto root = View::create({0, 0, 10, 101});
    auto gradient = ui::GradientLayer::create();
    gradient->setFrame({0, 0, 10, 101});
    gradient->setColors({kRed, kBlue, kBlue});
    gradient->setLocations({0.0, 0.5, 1.0});
    root->layer()->addSublayer(gradient);

    const auto image = ui::renderViewImage(*root, 1);
    for (int y = 0; y < 101; ++y) {
        const double t = std::min(1.0, (y + 0.5) / 101 / 0.5);
        const Pixel p = image->pixelAt(5, y);
        EXPECT_NEAR(p.r, 255 * (1 - t), 2) << y;
        EXPECT_NEAR(p.b, 255 * t, 2) << y;
        EXPECT_EQ(p.a, 255);
    }

    // Mismatched locations spread the colours evenly; no colours draw nothing.
    gradient->setColors({kRed, kBlue});
    EXPECT_EQ(gradient->effectiveLocations(), (std::vector<double>{0.0, 1.0}));
    gradient->setColors({});
    EXPECT_EQ(ui::renderViewImage(*root, 1)->pixelAt(5, 5), kClearPixel);
}

TEST_F(CompositorTest, ImageViewsPlaceTheirImageByContentMode) {
    // A 2 × 1 image: red left, blue right.
    const std::vector<uint8_t> pixels = {0, 0, 255, 255, 255, 0, 0, 255};
    auto image = graphics::Image::copyPixels(pixels.data(), 2, 1, 8);
    auto view = ui::ImageView::create({0, 0, 40, 40});
    view->setImage(image);

    view->setContentMode(ui::ContentMode::ScaleAspectFit);
    auto shot = ui::renderViewImage(*view, 1);
    EXPECT_EQ(shot->pixelAt(5, 5), kClearPixel);  // above the letterboxed image
    EXPECT_EQ(shot->pixelAt(0, 20), kRedPixel);
    EXPECT_EQ(shot->pixelAt(39, 20), kBluePixel);
    EXPECT_EQ(shot->pixelAt(5, 35), kClearPixel);

    view->setContentMode(ui::ContentMode::ScaleToFill);
    shot = ui::renderViewImage(*view, 1);
    EXPECT_EQ(shot->pixelAt(5, 5), kRedPixel);
    EXPECT_EQ(shot->pixelAt(35, 35), kBluePixel);

    view->setContentMode(ui::ContentMode::TopRight);
    shot = ui::renderViewImage(*view, 1);
    EXPECT_EQ(shot->pixelAt(39, 0), kBluePixel);
    EXPECT_EQ(shot->pixelAt(38, 0), kRedPixel);
    EXPECT_EQ(shot->pixelAt(39, 1), kClearPixel);
}

TEST_F(CompositorTest, BordersLieInsideTheBoundsAboveTheSubviews) {
    auto view = box({0, 0, 20, 20}, kWhite);
    view->layer()->setBorderWidth(3);
    view->layer()->setBorderColor(kBlue);
    view->addSubview(box({0, 0, 20, 20}, kRed));
    const auto image = ui::renderViewImage(*view, 1);
    EXPECT_EQ(image->pixelAt(0, 10), kBluePixel);
    EXPECT_EQ(image->pixelAt(2, 10), kBluePixel);
    EXPECT_EQ(image->pixelAt(3, 10), kRedPixel);
    EXPECT_EQ(image->pixelAt(10, 19), kBluePixel);
}

TEST_F(CompositorTest, AMultiplyFilterDarkensWhatLiesBelow) {
    auto root = box({0, 0, 10, 10}, base::Color(0.5, 1, 1));
    auto tint = box({0, 0, 10, 10}, base::Color(1, 0.5, 1));
    tint->layer()->setCompositingFilter("multiplyBlendMode");
    root->addSubview(tint);
    EXPECT_TRUE(near(ui::renderViewImage(*root, 1)->pixelAt(5, 5), Pixel{255, 128, 128, 255}, 1));
}

TEST_F(CompositorTest, AGpuSurfaceShowsItsLastPresentedFrameUntilItDrawsAgain) {
    std::string reason;
    auto device = gpu::Device::systemDefault(&reason);
    ASSERT_TRUE(device) << reason;
    auto renderer = FlatColorRenderer::create(device);
    ASSERT_TRUE(renderer);

    auto root = box({0, 0, 4, 4}, kBlack);
    auto surface = ui::GpuSurfaceView::create({1, 1, 2, 2}, device);
    surface->setDelegate(renderer);
    surface->setPaused(true);
    root->addSubview(surface);
    // Nothing presented yet: the surface shows nothing.
    EXPECT_EQ(ui::renderViewImage(*root, 3)->pixelAt(6, 6), (Pixel{0, 0, 0, 255}));

    renderer->color = base::Color(0, 1, 0, 1);
    surface->draw();
    EXPECT_EQ(ui::renderViewImage(*root, 3)->pixelAt(6, 6), (Pixel{0, 255, 0, 255}));

    // The model changes, the surface is moved and resized: the frame stays until the next draw.
    renderer->color = base::Color(1, 0, 0, 1);
    surface->setFrame({0, 0, 4, 4});
    auto shot = ui::renderViewImage(*root, 3);
    EXPECT_EQ(shot->pixelAt(1, 1), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(shot->pixelAt(10, 10), (Pixel{0, 255, 0, 255}));
    surface->draw();
    EXPECT_EQ(ui::renderViewImage(*root, 3)->pixelAt(10, 10), kRedPixel);

    // The surface's colours are straight alpha laid over what is below: half-transparent white
    // over black is mid grey.
    renderer->color = base::Color(1, 1, 1, 0.5);
    surface->draw();
    EXPECT_TRUE(near(ui::renderViewImage(*root, 3)->pixelAt(10, 10), Pixel{128, 128, 128, 255}, 1));
}

TEST_F(CompositorTest, AWindowSnapshotEqualsTheCompositionOfItsLayers) {
    auto window = ui::Window::create(base::Rect{0, 0, 40, 30});
    window->setBackgroundColor(kWhite);
    auto card = box({5, 5, 30, 20}, kBlue);
    card->layer()->setCornerRadius(6);
    card->layer()->setCornerCurve(ui::CornerCurve::Continuous);
    card->layer()->setShadowOpacity(0.3f);
    auto label = ui::Label::create({5, 5, 30, 20});
    label->setText("9:41");
    label->setTextAlignment(ui::TextAlignment::Center);
    window->addSubview(card);
    window->addSubview(label);

    // A hidden window is not on screen: no snapshot, and nothing drawn.
    ASSERT_TRUE(window->respondsToSelector(View::kDrawHierarchyInRect.selector()));
    ASSERT_TRUE(graphics::beginImageContext(window->bounds().size, false, 2));
    EXPECT_FALSE(window->drawHierarchyInRect(window->bounds(), false));
    EXPECT_EQ(graphics::imageFromCurrentImageContext()->pixelAt(20, 20), kClearPixel);
    graphics::endImageContext();

    window->makeKeyAndVisible();
    ASSERT_TRUE(graphics::beginImageContext(window->bounds().size, false, 2));
    EXPECT_TRUE(window->drawHierarchyInRect(window->bounds(), false));
    const auto snapshot = graphics::imageFromCurrentImageContext();
    graphics::endImageContext();

    auto rendered = graphics::ImageContext::begin(window->bounds().size, false, 2);
    window->layer()->renderInContext(rendered->context());
    const auto composed = ui::renderViewImage(*window, 2);
    ASSERT_TRUE(snapshot && composed);
    ASSERT_EQ(snapshot->byteCount(), composed->byteCount());
    EXPECT_EQ(std::memcmp(snapshot->pixels(), composed->pixels(), composed->byteCount()), 0);
    EXPECT_EQ(std::memcmp(rendered->image()->pixels(), composed->pixels(), composed->byteCount()),
              0);

    // A view outside any window has no snapshot, and there is none without a context.
    EXPECT_FALSE(View::create({0, 0, 5, 5})->drawHierarchyInRect({0, 0, 5, 5}, false));
    EXPECT_FALSE(window->drawHierarchyInRect(window->bounds(), false));
}

TEST_F(CompositorTest, TheScreenStacksVisibleWindowsByLevel) {
    auto high = ui::Window::create(base::Rect{0, 0, 20, 20});
    high->setBackgroundColor(kRed);
    high->setWindowLevel(10);
    high->setHidden(false);
    auto low = ui::Window::create(base::Rect{10, 10, 20, 20});
    low->setBackgroundColor(kBlue);
    low->setHidden(false);
    auto hidden = ui::Window::create(base::Rect{0, 0, 50, 50});
    hidden->setBackgroundColor(kWhite);

    const auto screen = ui::renderScreenImage(1);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->pixelWidth(), 393);
    EXPECT_EQ(screen->pixelAt(15, 15), kRedPixel);
    EXPECT_EQ(screen->pixelAt(25, 25), kBluePixel);
    EXPECT_EQ(screen->pixelAt(40, 40), kClearPixel);

    const auto path = std::filesystem::temp_directory_path() / "qv-compositor-screen.png";
    std::string reason;
    ASSERT_TRUE(ui::writeScreenPNG(1, path.string(), &reason)) << reason;
    const auto read = graphics::readImageFile(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->pixelAt(15, 15), kRedPixel);
    EXPECT_FALSE(ui::writeViewPNG(*View::create(), 1, path.string(), &reason));
    EXPECT_FALSE(reason.empty());
}

TEST_F(CompositorTest, RenderingIntoAContextHonoursItsAlphaAndLeavesItsStateAlone) {
    auto view = box({0, 0, 10, 10}, kRed);
    view->addSubview(box({0, 0, 5, 10}, kBlue));
    auto target = graphics::ImageContext::begin({10, 10}, false, 1);
    graphics::Context& context = target->context();
    context.setAlpha(0.5);
    const base::AffineTransform before = context.transform();
    view->layer()->renderInContext(context);
    EXPECT_EQ(context.transform(), before);
    EXPECT_DOUBLE_EQ(context.alpha(), 0.5);
    const auto image = target->image();
    // The subtree is laid down once at half alpha: no red shows through the blue.
    EXPECT_TRUE(near(image->pixelAt(2, 5), Pixel{128, 0, 0, 128}, 1));
    EXPECT_TRUE(near(image->pixelAt(7, 5), Pixel{0, 0, 128, 128}, 1));
}

TEST_F(CompositorTest, ContinuousCornersEaseInAndMeetCircularOnesHalfway) {
    const base::Rect r{0, 0, 100, 60};
    const double radius = 10;
    const graphics::Path continuous =
        ui::detail::roundedRectPath(r, radius, ui::CornerCurve::Continuous);
    const graphics::Path circular =
        ui::detail::roundedRectPath(r, radius, ui::CornerCurve::Circular);
    // The top edge runs straight until the eased corner starts, further from the corner than
    // the circle's quarter arc does.
    ASSERT_GE(continuous.elements().size(), 3u);
    const auto& line = continuous.elements()[1];
    EXPECT_NEAR(line.points[0].x, 100 - radius * ui::detail::kContinuousCornerExtent, 1e-9);
    // Halfway through its corner each shape passes the same point on the diagonal.
    const auto middleOfFirstCurve = [](const graphics::Path& p) {
        for (std::size_t i = 1; i < p.elements().size(); ++i) {
            const auto& e = p.elements()[i];
            if (e.verb != graphics::Path::Verb::Cubic) continue;
            const base::Point p0 = p.elements()[i - 1].points[0];
            return base::Point{(p0.x + 3 * e.points[0].x + 3 * e.points[1].x + e.points[2].x) / 8,
                               (p0.y + 3 * e.points[0].y + 3 * e.points[1].y + e.points[2].y) / 8};
        }
        return base::Point{};
    };
    const base::Point a = middleOfFirstCurve(continuous), b = middleOfFirstCurve(circular);
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
    EXPECT_NEAR(100 - a.x, radius * (1 - std::sqrt(0.5)), 1e-9);

    // A capsule has no room to ease in: it is the circular capsule.
    const base::Rect pill{0, 0, 100, 20};
    EXPECT_EQ(ui::detail::roundedRectPath(pill, 10, ui::CornerCurve::Continuous),
              ui::detail::roundedRectPath(pill, 10, ui::CornerCurve::Circular));
    EXPECT_TRUE(
        ui::detail::roundedRectPath({0, 0, 0, 5}, 2, ui::CornerCurve::Continuous).isEmpty());
}

TEST_F(CompositorTest, LabelTextWrapsAtSpacesAndSaysWhenItRunsOutOfLines) {
    const auto font = text::Font::systemFont(20);
    const text::AttributedString words("alpha beta gamma delta epsilon",
                                       {{std::string(text::kFontAttribute), font},
                                        {std::string(text::kForegroundColorAttribute), kBlack}});
    const auto whole = text::TextLine::create(words);
    ASSERT_TRUE(whole);
    const double lineHeight = font->lineHeight();
    const base::Rect narrow{0, 0, whole->width() * 0.45, lineHeight * 10};

    // As many lines as needed: every line fits, all the words are there.
    auto lines = ui::detail::layOutText(words, narrow, ui::TextAlignment::Left, 0);
    ASSERT_GE(lines.size(), 3u);
    double inked = 0;
    for (const auto& l : lines) {
        EXPECT_LE(l.line->width(), narrow.width() + 1e-6);
        EXPECT_DOUBLE_EQ(l.baselineOrigin.x, 0);
        inked += l.line->width();
    }
    EXPECT_GT(inked, whole->width() * 0.8);  // the spaces at the breaks are dropped
    // The block is centred vertically, one line height apart.
    const double top = lines.front().baselineOrigin.y - font->ascent();
    const double bottom = lines.back().baselineOrigin.y + font->descent();
    EXPECT_NEAR(top - narrow.minY(), narrow.maxY() - bottom, 1e-6);
    EXPECT_NEAR(lines[1].baselineOrigin.y - lines[0].baselineOrigin.y, lineHeight, 1e-6);

    // Two lines allowed: the second ends in an ellipsis and still fits.
    const auto two = ui::detail::layOutText(words, narrow, ui::TextAlignment::Right, 2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_LE(two[1].line->width(), narrow.width() + 1e-6);
    EXPECT_NEAR(two[1].baselineOrigin.x + two[1].line->width(), narrow.maxX(), 1e-6);

    // One line: cut by characters, not words.
    const auto one = ui::detail::layOutText(words, narrow, ui::TextAlignment::Center, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_LE(one[0].line->width(), narrow.width() + 1e-6);
    EXPECT_GT(one[0].line->width(), narrow.width() * 0.7);
    EXPECT_NEAR(one[0].baselineOrigin.x + one[0].line->width() / 2, narrow.midX(), 1e-6);

    // A word wider than the line is broken inside; nothing is laid out without width.
    const text::AttributedString longWord("incomprehensibilities",
                                          {{std::string(text::kFontAttribute), font}});
    const auto broken =
        ui::detail::layOutText(longWord, {0, 0, 40, 400}, ui::TextAlignment::Left, 0);
    EXPECT_GE(broken.size(), 3u);
    for (const auto& l : broken) EXPECT_LE(l.line->width(), 40 + 1e-6);
    EXPECT_TRUE(ui::detail::layOutText(words, {0, 0, 0, 50}, ui::TextAlignment::Left, 0).empty());
}

// Regression: Chinese text, which has no spaces, could only break at the one space it held,
// leaving a short first line and an overlong second one.
TEST_F(CompositorTest, ChineseTextWrapsBetweenCharactersButNotBeforeClosingPunctuation) {
    const auto font = text::Font::systemFont(20);
    const std::string message = "这会恢复所有 Quorvane 设置，启用状态除外。";
    const text::AttributedString text(message, {{std::string(text::kFontAttribute), font}});
    const auto whole = text::TextLine::create(text);
    ASSERT_TRUE(whole);
    const base::Rect narrow{0, 0, whole->width() * 0.4, font->lineHeight() * 10};
    const auto lines = ui::detail::layOutText(text, narrow, ui::TextAlignment::Left, 0);
    ASSERT_GE(lines.size(), 3u);
    std::string joined;
    for (const auto& l : lines) {
        EXPECT_LE(l.line->width(), narrow.width() + 1e-6);
        // Each full line is filled: nothing waits for a space that Chinese does not have.
        if (&l != &lines.back()) {
            EXPECT_GT(l.line->width(), narrow.width() * 0.6);
        }
        const std::string part = message.substr(l.range.location, l.range.length);
        EXPECT_NE(part.rfind("，", 0), 0u) << "a line starts with a comma: " << part;
        EXPECT_NE(part.rfind("。", 0), 0u) << "a line starts with a full stop: " << part;
        joined += part;
    }
    joined.erase(std::remove(joined.begin(), joined.end(), ' '), joined.end());
    std::string expected = message;
    expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
    EXPECT_EQ(joined, expected) << "every character is laid out once";
}

TEST_F(CompositorTest, LabelsPlaceTheirTextByAlignment) {
    auto label = ui::Label::create({0, 0, 120, 30});
    label->setText("Hi");
    label->setTextColor(kBlack);
    const auto inkColumns = [&] {
        const auto image = ui::renderViewImage(*label, 1);
        int first = 1000, last = -1;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 120; ++x) {
                if (image->pixelAt(x, y).a > 64)
                    first = std::min(first, x), last = std::max(last, x);
            }
        }
        return std::pair{first, last};
    };
    label->setTextAlignment(ui::TextAlignment::Left);
    const auto left = inkColumns();
    EXPECT_LT(left.first, 5);
    label->setTextAlignment(ui::TextAlignment::Right);
    const auto right = inkColumns();
    EXPECT_GT(right.second, 114);
    label->setTextAlignment(ui::TextAlignment::Center);
    const auto centre = inkColumns();
    EXPECT_NEAR((centre.first + centre.second) / 2.0, 60, 3);
    // The same ink, moved.
    EXPECT_NEAR(right.second - right.first, left.second - left.first, 1);
}

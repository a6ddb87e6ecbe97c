#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/ImageContext.h"
#include "platform/graphics/ScreenScale.h"

using base::Color;
using base::Rect;
using base::Size;
using graphics::BlendMode;
using graphics::Image;
using graphics::ImageContext;
using graphics::ImageOrientation;
using graphics::Pixel;

namespace {

// Premultiplied 8-bit value of a straight colour component, as Cairo rounds it.
int premul(double component, double alpha) {
    return int(std::lround(component * alpha * 255));
}

void expectPixelNear(const Pixel& p, int r, int g, int b, int a, int tolerance, const char* where) {
    EXPECT_NEAR(p.r, r, tolerance) << where;
    EXPECT_NEAR(p.g, g, tolerance) << where;
    EXPECT_NEAR(p.b, b, tolerance) << where;
    EXPECT_NEAR(p.a, a, tolerance) << where;
}

std::shared_ptr<const Image> solidImage(const std::vector<Pixel>& pixels, int w, int h,
                                        ImageOrientation o = ImageOrientation::Up) {
    std::vector<uint8_t> bytes;
    for (const Pixel& p : pixels) bytes.insert(bytes.end(), {p.b, p.g, p.r, p.a});
    auto image = Image::adoptPixels(std::move(bytes), w, h, 1.0);
    return image->withOrientation(o);
}

constexpr Pixel kRed{0, 0, 255, 255};
constexpr Pixel kBlue{255, 0, 0, 255};

}  // namespace

TEST(ImageContext, PixelSizeIsPointSizeTimesScaleRoundedUp) {
    auto ctx = ImageContext::begin({100, 40}, false, 3);
    ASSERT_NE(ctx, nullptr);
    auto image = ctx->image();
    EXPECT_EQ(image->pixelWidth(), 300);
    EXPECT_EQ(image->pixelHeight(), 120);
    EXPECT_EQ(image->scale(), 3);
    EXPECT_EQ(image->size(), (Size{100, 40}));

    auto fractional = ImageContext::begin({10.5, 0.1}, false, 2);
    EXPECT_EQ(fractional->image()->pixelWidth(), 21);
    EXPECT_EQ(fractional->image()->pixelHeight(), 1);
    // 0.1 × 3 is 0.30000000000000004 in binary; that must not become 2 pixels for 1.0 × 3 etc.
    EXPECT_EQ(ImageContext::begin({1, 1}, false, 3)->image()->pixelWidth(), 3);
}

TEST(ImageContext, ScaleZeroMeansTheMainScreensScale) {
    EXPECT_EQ(ImageContext::begin({10, 10}, false, 0)->scale(), 3) << "default screen is 3x";
    graphics::setMainScreenScale(2);
    EXPECT_EQ(ImageContext::begin({10, 10}, false, 0)->image()->pixelWidth(), 20);
    graphics::setMainScreenScale(0);  // ignored
    graphics::setMainScreenScale(NAN);
    EXPECT_EQ(graphics::mainScreenScale(), 2);
    graphics::setMainScreenScale(3);
}

TEST(ImageContext, RefusesSizesThatCannotBeDrawn) {
    EXPECT_EQ(ImageContext::begin({0, 10}, false, 1), nullptr);
    EXPECT_EQ(ImageContext::begin({10, -1}, false, 1), nullptr);
    EXPECT_EQ(ImageContext::begin({NAN, 10}, false, 1), nullptr);
    EXPECT_EQ(ImageContext::begin({INFINITY, 10}, false, 1), nullptr);
    EXPECT_EQ(ImageContext::begin({10, 10}, false, -1), nullptr);
    EXPECT_EQ(ImageContext::begin({10000, 10}, false, 3), nullptr) << "30000 pixels wide";
}

TEST(ImageContext, StartsClearOrOpaqueBlackAndImagesAreSnapshots) {
    auto clear = ImageContext::begin({2, 2}, false, 1);
    EXPECT_EQ(clear->image()->pixelAt(1, 1), Pixel{});
    EXPECT_FALSE(clear->image()->isOpaque());

    auto opaque = ImageContext::begin({2, 2}, true, 1);
    opaque->context().clear({0, 0, 1, 1});
    auto image = opaque->image();
    EXPECT_TRUE(image->isOpaque());
    EXPECT_EQ(image->pixelAt(0, 0), (Pixel{0, 0, 0, 255})) << "cleared opaque pixels stay opaque";

    opaque->context().fillRect({0, 0, 2, 2}, Color(1, 1, 1, 1));
    EXPECT_EQ(image->pixelAt(1, 1), (Pixel{0, 0, 0, 255})) << "an image never changes afterwards";
    EXPECT_NE(opaque->image(), image) << "each call makes a new image object";
}

TEST(Context, FillUsesPremultipliedColourTimesContextAlpha) {
    auto ctx = ImageContext::begin({4, 4}, false, 1);
    ctx->context().setAlpha(0.5);
    ctx->context().fillRect({0, 0, 4, 4}, Color(1, 0.5, 0, 0.5));
    // Effective alpha 0.25.
    expectPixelNear(ctx->image()->pixelAt(2, 2), premul(1, 0.25), premul(0.5, 0.25), 0,
                    premul(1, 0.25), 1, "centre");

    ctx->context().setAlpha(7);  // clamped to 1
    EXPECT_EQ(ctx->context().alpha(), 1);
    ctx->context().setAlpha(NAN);
    EXPECT_EQ(ctx->context().alpha(), 1);
}

TEST(Context, SaveAndRestoreCoverTransformAndAlphaButNotTextPosition) {
    auto ctx = ImageContext::begin({10, 10}, false, 2);
    auto& c = ctx->context();
    const base::AffineTransform base = c.transform();
    EXPECT_EQ(base, base::AffineTransform::scale(2, 2)) << "user space is in points";

    c.save();
    c.translate(3, 4);
    c.setAlpha(0.25);
    c.setTextPosition({5, 6});
    c.restore();
    EXPECT_EQ(c.transform(), base);
    EXPECT_EQ(c.alpha(), 1);
    EXPECT_EQ(c.textPosition(), (base::Point{5, 6}));

    c.restore();  // unbalanced: ignored
    EXPECT_EQ(c.transform(), base);
    c.scale(0, 1);  // singular: ignored, the context stays usable
    EXPECT_EQ(c.transform(), base);
}

TEST(Context, FlippedContextPutsSmallYAtTheBottom) {
    auto ctx = ImageContext::begin({10, 10}, false, 1);
    auto& c = ctx->context();
    c.translate(0, 10);
    c.scale(1, -1);
    c.fillRect({0, 0, 10, 2}, Color(1, 0, 0, 1));
    auto image = ctx->image();
    EXPECT_EQ(image->pixelAt(5, 9), kRed);
    EXPECT_EQ(image->pixelAt(5, 0), Pixel{});
}

TEST(Context, BlendModesFollowPorterDuffAndSeparableFormulas) {
    auto paint = [](BlendMode mode, Color src, Color ground = Color(0, 0, 1, 1)) {
        auto ctx = ImageContext::begin({4, 4}, false, 1);
        ctx->context().fillRect({0, 0, 4, 4}, ground);
        ctx->context().fillRect({1, 1, 2, 2}, src, mode);
        return ctx->image();
    };
    // Multiply, premultiplied: c = s·(1 − da) + d·(1 − sa) + s·d. With s = (0.5, 0, 0.5) at
    // alpha 0.5 over opaque d = (0.5, 0.5, 1): (0.5, 0.25, 1); plain "over" would give 0.75 red.
    auto multiply = paint(BlendMode::Multiply, Color(1, 0, 1, 0.5), Color(0.5, 0.5, 1, 1));
    expectPixelNear(multiply->pixelAt(1, 1), 128, 64, 255, 255, 1, "multiply");

    auto copy = paint(BlendMode::Copy, Color(0, 1, 0, 0.5));
    expectPixelNear(copy->pixelAt(1, 1), 0, premul(1, 0.5), 0, premul(1, 0.5), 1, "copy");
    EXPECT_EQ(copy->pixelAt(0, 0), kBlue) << "copy is bounded by the shape";

    auto cleared = paint(BlendMode::Clear, Color(1, 1, 1, 1));
    EXPECT_EQ(cleared->pixelAt(1, 1), Pixel{});
    EXPECT_EQ(cleared->pixelAt(3, 3), kBlue);

    auto out = paint(BlendMode::DestinationOut, Color(0, 0, 0, 1));
    EXPECT_EQ(out->pixelAt(2, 2), Pixel{});
    EXPECT_EQ(out->pixelAt(0, 3), kBlue);

    // DestinationIn masks the whole clip area, as documented.
    auto in = paint(BlendMode::DestinationIn, Color(0, 0, 0, 1));
    EXPECT_EQ(in->pixelAt(2, 2), kBlue);
    EXPECT_EQ(in->pixelAt(0, 0), Pixel{});
}

TEST(Context, RoundedShapesLeaveTheirCornersClear) {
    auto ctx = ImageContext::begin({30, 10}, false, 1);
    ctx->context().fillCapsule({0, 0, 30, 10}, Color(1, 1, 1, 1));
    auto capsule = ctx->image();
    EXPECT_EQ(capsule->pixelAt(0, 0).a, 0);
    EXPECT_EQ(capsule->pixelAt(29, 9).a, 0);
    EXPECT_EQ(capsule->pixelAt(15, 0).a, 255) << "the straight top edge is full";
    EXPECT_GT(capsule->pixelAt(0, 5).a, 100) << "the round end reaches the left edge mid-height";

    auto ctx2 = ImageContext::begin({20, 20}, false, 1);
    ctx2->context().fillRoundedRect({0, 0, 20, 20}, 100, Color(1, 1, 1, 1));  // clamped to 10
    auto disc = ctx2->image();
    EXPECT_EQ(disc->pixelAt(1, 1).a, 0) << "radius clamps to half the side: a disc";
    EXPECT_EQ(disc->pixelAt(10, 10).a, 255);
}

TEST(Context, DrawImageScalesTheImageIntoTheRectangle) {
    auto image = solidImage({kRed, kBlue, kBlue, kRed}, 2, 2);
    auto ctx = ImageContext::begin({20, 20}, false, 1);
    ctx->context().drawImage(*image, {0, 0, 20, 20});
    auto out = ctx->image();
    EXPECT_EQ(out->pixelAt(3, 3), kRed);
    EXPECT_EQ(out->pixelAt(16, 3), kBlue);
    EXPECT_EQ(out->pixelAt(3, 16), kBlue);
    EXPECT_EQ(out->pixelAt(16, 16), kRed);
    EXPECT_EQ(out->pixelAt(0, 0), kRed) << "edges stay solid, not faded";

    // Context alpha applies to images too.
    auto faded = ImageContext::begin({2, 2}, false, 1);
    faded->context().setAlpha(0.5);
    faded->context().drawImage(*image, {0, 0, 2, 2});
    EXPECT_NEAR(faded->image()->pixelAt(0, 0).a, 128, 1);
}

TEST(Context, DrawImageShowsEachOrientationUpright) {
    // Stored: one row, red then blue. Shown: a column for the turned orientations.
    struct Case {
        ImageOrientation orientation;
        Pixel first;  // top (column) or left (row) when shown
        Pixel second;
    };
    const Case cases[] = {
        {ImageOrientation::Up, kRed, kBlue},
        {ImageOrientation::Down, kBlue, kRed},
        {ImageOrientation::UpMirrored, kBlue, kRed},
        {ImageOrientation::DownMirrored, kRed, kBlue},
        {ImageOrientation::Right, kRed, kBlue},  // turned clockwise: the left end goes up
        {ImageOrientation::Left, kBlue, kRed},   // counter-clockwise: the right end goes up
        {ImageOrientation::LeftMirrored, kRed, kBlue},
        {ImageOrientation::RightMirrored, kBlue, kRed},
    };
    for (const Case& c : cases) {
        auto image = solidImage({kRed, kBlue}, 2, 1, c.orientation);
        // Redraw upright the way a wallpaper is normalised: a context of the shown size.
        auto ctx = ImageContext::begin(image->size(), false, image->scale());
        ctx->context().drawImage(*image, {{0, 0}, image->size()});
        auto out = ctx->image();
        const bool column = graphics::orientationSwapsAxes(c.orientation);
        ASSERT_EQ(out->pixelWidth(), column ? 1 : 2);
        EXPECT_EQ(out->pixelAt(0, 0), c.first) << int(c.orientation);
        EXPECT_EQ(column ? out->pixelAt(0, 1) : out->pixelAt(1, 0), c.second) << int(c.orientation);
    }
}

TEST(Context, CurrentContextStackPairsBeginWithEndAndPushWithPop) {
    EXPECT_EQ(graphics::currentContext(), nullptr);
    EXPECT_EQ(graphics::imageFromCurrentImageContext(), nullptr);
    ASSERT_TRUE(graphics::beginImageContext({5, 5}, false, 1));
    graphics::Context* outer = graphics::currentContext();
    ASSERT_NE(outer, nullptr);

    auto other = ImageContext::begin({1, 1}, false, 1);
    graphics::pushContext(other->context());
    EXPECT_EQ(graphics::currentContext(), &other->context());
    EXPECT_EQ(graphics::imageFromCurrentImageContext(), nullptr) << "a pushed context makes none";
    graphics::endImageContext();  // wrong kind on top: ignored
    EXPECT_EQ(graphics::currentContext(), &other->context());
    graphics::popContext();

    EXPECT_EQ(graphics::currentContext(), outer);
    EXPECT_EQ(graphics::imageFromCurrentImageContext()->pixelWidth(), 5);
    graphics::popContext();  // wrong kind on top: ignored
    EXPECT_EQ(graphics::currentContext(), outer);
    graphics::endImageContext();
    EXPECT_EQ(graphics::currentContext(), nullptr);
    EXPECT_FALSE(graphics::beginImageContext({0, 5}, false, 1));
    EXPECT_EQ(graphics::currentContext(), nullptr);
}

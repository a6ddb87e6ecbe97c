#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/Image.h"

using graphics::Image;
using graphics::ImageOrientation;

TEST(Image, FactoriesRefuseImpossibleGeometry) {
    std::vector<uint8_t> four(4, 0);
    EXPECT_EQ(Image::copyPixels(nullptr, 1, 1, 4), nullptr);
    EXPECT_EQ(Image::copyPixels(four.data(), 0, 1, 4), nullptr);
    EXPECT_EQ(Image::copyPixels(four.data(), 1, -1, 4), nullptr);
    EXPECT_EQ(Image::copyPixels(four.data(), 2, 1, 4), nullptr) << "rows shorter than 4 x width";
    EXPECT_EQ(Image::copyPixels(four.data(), 1, 1, 4, 0.0), nullptr);
    EXPECT_EQ(Image::copyPixels(four.data(), 1, 1, 4, NAN), nullptr);
    EXPECT_EQ(Image::adoptPixels(std::vector<uint8_t>(7), 1, 2), nullptr) << "wrong byte count";
    EXPECT_NE(Image::adoptPixels(std::vector<uint8_t>(8), 1, 2), nullptr);
}

TEST(Image, CopyPixelsDropsRowPaddingAndKeepsByteOrder) {
    // Two rows of one pixel each, 8 bytes apart; the padding must not leak into the image.
    const uint8_t rows[] = {1, 2, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE, 5, 6, 7, 8};
    auto image = Image::copyPixels(rows, 1, 2, 8);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->bytesPerRow(), 4u);
    EXPECT_EQ(image->pixelAt(0, 0), (graphics::Pixel{1, 2, 3, 4}));
    EXPECT_EQ(image->pixelAt(0, 1), (graphics::Pixel{5, 6, 7, 8}));
    EXPECT_EQ(image->pixelAt(1, 0), graphics::Pixel{}) << "outside reads as transparent";
}

TEST(Image, SizeIsInPointsAndFollowsOrientation) {
    auto image = Image::adoptPixels(std::vector<uint8_t>(300 * 120 * 4), 300, 120, 3.0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), (base::Size{100, 40}));

    auto turned = image->withOrientation(ImageOrientation::Right);
    EXPECT_EQ(turned->size(), (base::Size{40, 100}));
    EXPECT_EQ(turned->pixelWidth(), 300) << "the stored bitmap does not change";
    EXPECT_EQ(turned->pixels(), image->pixels()) << "pixels are shared, not copied";
    EXPECT_NE(turned.get(), image.get()) << "a new image object: caches key on identity";

    EXPECT_EQ(image->withOrientation(ImageOrientation::DownMirrored)->size(),
              (base::Size{100, 40}));
    EXPECT_EQ(image->withScale(1.0)->size(), (base::Size{300, 120}));
    EXPECT_EQ(image->withScale(-1.0), nullptr);
}

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/graphics/BitmapContext.h"

using base::Color;
using graphics::BitmapContext;
using graphics::Image;

TEST(BitmapContext, DrawsPremultipliedBgraIntoCallerRowsAndLeavesPaddingAlone) {
    // 3 pixels wide, rows 16 bytes apart: 4 bytes of padding per row.
    constexpr int kW = 3, kH = 2, kStride = 16;
    std::vector<uint32_t> memory(kStride / 4 * kH, 0xA5A5A5A5u);
    auto bitmap = BitmapContext::create(memory.data(), kW, kH, kStride);
    ASSERT_NE(bitmap, nullptr);
    bitmap->context().clear({0, 0, kW, kH});
    bitmap->context().fillRect({0, 0, 1, 1}, Color(1, 0, 0, 0.5));

    const auto* bytes = reinterpret_cast<const uint8_t*>(memory.data());
    // Row 0 is the top row and the lowest address; bytes B, G, R, A; red premultiplied by 0.5.
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_NEAR(bytes[2], 128, 1);
    EXPECT_NEAR(bytes[3], 128, 1);
    EXPECT_EQ(bytes[4 * 1 + 3], 0) << "the next pixel was cleared";
    for (int row = 0; row < kH; ++row) {
        EXPECT_EQ(memory[row * kStride / 4 + 3], 0xA5A5A5A5u) << "padding of row " << row;
    }
}

TEST(BitmapContext, ImageDrawnOverTheWholeBufferLandsWithItsTopInRowZero) {
    std::vector<uint8_t> top = {0, 0, 255, 255};     // red
    std::vector<uint8_t> bottom = {255, 0, 0, 255};  // blue
    std::vector<uint8_t> pixels = top;
    pixels.insert(pixels.end(), bottom.begin(), bottom.end());
    auto image = Image::adoptPixels(pixels, 1, 2);

    std::vector<uint32_t> memory(4 * 8);
    auto bitmap = BitmapContext::create(memory.data(), 4, 8, 16);
    bitmap->context().drawImage(*image, {0, 0, 4, 8});
    auto copy = bitmap->makeImage();
    EXPECT_EQ(copy->pixelAt(2, 0), (graphics::Pixel{0, 0, 255, 255}));
    EXPECT_EQ(copy->pixelAt(2, 7), (graphics::Pixel{255, 0, 0, 255}));
    EXPECT_NE(copy->pixels(), reinterpret_cast<const uint8_t*>(memory.data()))
        << "makeImage copies: the buffer will be drawn again";
}

TEST(BitmapContext, RefusesMemoryItCannotAddress) {
    std::vector<uint32_t> memory(64);
    auto* base = reinterpret_cast<uint8_t*>(memory.data());
    EXPECT_EQ(BitmapContext::create(nullptr, 2, 2, 8), nullptr);
    EXPECT_EQ(BitmapContext::create(base + 1, 2, 2, 8), nullptr) << "misaligned";
    EXPECT_EQ(BitmapContext::create(base, 0, 2, 8), nullptr);
    EXPECT_EQ(BitmapContext::create(base, 2, -2, 8), nullptr);
    EXPECT_EQ(BitmapContext::create(base, 2, 2, 7), nullptr) << "rows shorter than the width";
    EXPECT_EQ(BitmapContext::create(base, 2, 2, 10), nullptr) << "rows not whole words";
    EXPECT_NE(BitmapContext::create(base, 2, 2, 12), nullptr);
}

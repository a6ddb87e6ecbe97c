#include <gtest/gtest.h>

#include "tests/platform/gpu/GpuTestSupport.h"

namespace {

using gpu::Region;
using gpu::TextureUsage;

class GpuTexture : public GpuTest {};

TEST_F(GpuTexture, DeviceCreatesHereAndTheSystemDefaultIsOneProcessWideDevice) {
    EXPECT_FALSE(device_->name().empty());
    EXPECT_GE(device_->maxTextureSize(), 2048u);
    std::string reason;
    auto first = gpu::Device::systemDefault(&reason);
    ASSERT_TRUE(first) << reason;
    EXPECT_EQ(gpu::Device::systemDefault(), first);
}

TEST_F(GpuTexture, UploadAndReadBackHonourRowPitchAndRegions) {
    auto t = texture(5, 4, TextureUsage::ShaderRead);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width(), 5u);
    EXPECT_EQ(t->height(), 4u);

    // Rows 28 bytes apart: 20 bytes of pixels and 8 of padding that must not be read.
    std::vector<std::uint8_t> padded(28 * 4, 0xEE);
    for (std::size_t y = 0; y < 4; ++y) {
        for (std::size_t x = 0; x < 5; ++x) {
            std::uint8_t* p = &padded[y * 28 + x * 4];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(10 * x + y);
            p[3] = 200;
        }
    }
    ASSERT_TRUE(t->replaceRegion(t->wholeRegion(), padded.data(), 28));

    // Overwrite the 2x2 block at (1, 2) with white.
    std::vector<std::uint8_t> white(2 * 2 * 4, 255);
    ASSERT_TRUE(t->replaceRegion(Region{{1, 2}, {2, 2}}, white.data(), 8));

    const std::vector<std::uint8_t> all = readBack(*t);
    for (std::size_t y = 0; y < 4; ++y) {
        for (std::size_t x = 0; x < 5; ++x) {
            const std::uint8_t* p = &all[(y * 5 + x) * 4];
            const bool inBlock = x >= 1 && x <= 2 && y >= 2;
            EXPECT_EQ(p[0], inBlock ? 255 : x) << x << ", " << y;
            EXPECT_EQ(p[1], inBlock ? 255 : y) << x << ", " << y;
            EXPECT_EQ(p[2], inBlock ? 255 : 10 * x + y) << x << ", " << y;
            EXPECT_EQ(p[3], inBlock ? 255 : 200) << x << ", " << y;
        }
    }

    // A sub-region read into a padded buffer leaves the padding alone.
    std::vector<std::uint8_t> part(12 * 2, 0x11);
    ASSERT_TRUE(t->getBytes(part.data(), 12, Region{{3, 0}, {2, 2}}));
    EXPECT_EQ(part[0], 3);
    EXPECT_EQ(part[4 + 2], 40);
    EXPECT_EQ(part[8], 0x11);
    EXPECT_EQ(part[12 + 1], 1);
}

TEST_F(GpuTexture, RefusesSizesAndRegionsItCannotHold) {
    EXPECT_FALSE(texture(0, 4, TextureUsage::ShaderRead));
    EXPECT_FALSE(texture(4, 0, TextureUsage::ShaderRead));
    EXPECT_FALSE(texture(device_->maxTextureSize() + 1, 1, TextureUsage::ShaderRead));

    auto t = texture(4, 4, TextureUsage::ShaderRead);
    ASSERT_TRUE(t);
    std::vector<std::uint8_t> bytes(64 * 4, 0);
    EXPECT_FALSE(t->replaceRegion(Region{{3, 0}, {2, 1}}, bytes.data(), 16)) << "leaves the right";
    EXPECT_FALSE(t->replaceRegion(Region{{0, 4}, {1, 1}}, bytes.data(), 16)) << "below the bottom";
    EXPECT_FALSE(t->replaceRegion(Region{{0, 0}, {0, 1}}, bytes.data(), 16)) << "empty";
    EXPECT_FALSE(t->replaceRegion(t->wholeRegion(), bytes.data(), 12)) << "row pitch too small";
    EXPECT_FALSE(t->replaceRegion(t->wholeRegion(), bytes.data(), 18)) << "row pitch not pixels";
    EXPECT_FALSE(t->replaceRegion(t->wholeRegion(), nullptr, 16));
    EXPECT_FALSE(t->getBytes(bytes.data(), 16, Region{{0, 0}, {5, 1}}));
    EXPECT_FALSE(t->getBytes(bytes.data(), 16, Region{{static_cast<std::size_t>(-1), 0}, {2, 1}}))
        << "origin + size must not wrap around";
}

}  // namespace

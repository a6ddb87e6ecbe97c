// The mask edge field against the C++ reference's per-pixel search, and its tiles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "glass/LGMaskEdgeField.h"
#include "platform/gpu/Device.h"
#include "testing/glass/LGGlassReference.h"
#include "tests/glass/GlassRenderer.h"

namespace {

// The direction is stored in 12 bits per component: half a step of 2 / 4094, with a little float.
constexpr float kDirectionTolerance = 0.0003f;

LGMaskPixels pixelsOf(const BgraImage& mask) {
    return {mask.pixels.data(), mask.width, mask.height, mask.width * 4};
}

struct FieldComparison {
    int compared = 0;
    int nearThreshold = 0;
    int withEdge = 0;
    int mismatches = 0;
    std::string first;
};

// Every pixel of the field against the reference's search at that pixel's centre. Pixels the
// reference discards carry no edge; pixels whose search came within the GPU's rounding of a
// threshold are counted, not compared.
FieldComparison compareWithSearch(const BgraImage& mask, std::size_t width, std::size_t height) {
    const LGMaskEdgeFieldPixels field = LGMaskEdgeFieldCompute(pixelsOf(mask), width, height);
    FieldComparison c;
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            LGGlassReference::Margins margins;
            const auto expected = LGGlassReference::estimateMaskEdgeDistance(
                mask.view(), pixelCentreUV(x, y, width, height), margins);
            if (margins.near()) {
                ++c.nearThreshold;
                continue;
            }
            ++c.compared;
            const LGMaskEdge got = LGMaskEdgeFieldDecode(field.texel(x, y));
            const bool discarded = expected.alpha < 0.01f;
            const int distance = discarded || expected.distance >= 1e6f
                                     ? 0
                                     : static_cast<int>(expected.distance + 0.5f);
            bool same = got.distance == distance;
            if (distance > 0) {
                ++c.withEdge;
                same = same && std::fabs(got.dirX - expected.dir.x) <= kDirectionTolerance &&
                       std::fabs(got.dirY - expected.dir.y) <= kDirectionTolerance;
            }
            if (!same && c.mismatches++ == 0) {
                c.first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): field " +
                          std::to_string(got.distance) + " (" + std::to_string(got.dirX) + ", " +
                          std::to_string(got.dirY) + "), search " + std::to_string(distance) +
                          " (" + std::to_string(expected.dir.x) + ", " +
                          std::to_string(expected.dir.y) + ")";
            }
        }
    }
    return c;
}

void expectAgreesWithSearch(const BgraImage& mask, std::size_t width, std::size_t height,
                            const char* what) {
    const FieldComparison c = compareWithSearch(mask, width, height);
    EXPECT_EQ(c.mismatches, 0) << what << " at " << width << "x" << height << ": " << c.first;
    EXPECT_LT(c.nearThreshold * 4, c.compared) << what << ": too close to call too often";
    EXPECT_GT(c.withEdge, 0) << what << ": no edge found, so the check proves little";
}

}  // namespace

TEST(MaskEdgeField, AgreesWithTheSearchAtEveryPixelWhateverTheDrawableSize) {
    const BgraImage clock = makeClockMaskImage(120, 60);
    const BgraImage rounded = makeRoundedRectMask(64, 40, 4, 9);
    const BgraImage strokes = makeThinStrokesMask(48, 36);
    const BgraImage dot = makeOnePixelMask(21, 17);
    for (const auto& [mask, what] :
         {std::pair{&clock, "clock"}, std::pair{&rounded, "rounded rectangle"},
          std::pair{&strokes, "thin strokes"}, std::pair{&dot, "one pixel"}}) {
        // Drawable and mask of one size; then larger, smaller and at an uneven ratio, where pixel
        // centres fall between texel centres.
        expectAgreesWithSearch(*mask, mask->width, mask->height, what);
        expectAgreesWithSearch(*mask, mask->width * 2, mask->height * 2, what);
        expectAgreesWithSearch(*mask, mask->width * 2 / 3, mask->height * 3 / 4, what);
        expectAgreesWithSearch(*mask, mask->width + 7, mask->height + 3, what);
    }
}

TEST(MaskEdgeField, AgreesWithTheSearchAcrossWordsAtTheBordersAndAtTheAlphaThresholds) {
    // The field searches 64 texels of a row at a time and repeats the mask's border around it:
    // shapes that cross those words, touch the border or fill the mask, and alphas of 1, 2 and 3
    // (not drawn, drawn without an edge, searched) must all give what the search gives.
    const BgraImage wide = makeRoundedRectMask(150, 50, 0, 12);
    const BgraImage ring = makeRingMask(140, 90, 20, 38);
    BgraImage blobs(131, 67);
    // Blocks of 9 x 7 texels, each of one alpha, so that edges run along and across words: most
    // blocks opaque or empty, some at the three thresholds' alphas or faint.
    const float levels[] = {1.0f,       1.0f,       1.0f, 0.8f, 1.0f,       0.0f, 0.0f,
                            0.0f,       1.0f / 255, 1.0f, 0.0f, 2.0f / 255, 1.0f, 0.0f,
                            3.0f / 255, 0.2f,       1.0f, 0.0f, 1.0f,       0.0f};
    for (std::size_t y = 0; y < blobs.height; ++y) {
        for (std::size_t x = 0; x < blobs.width; ++x) {
            const std::size_t block = (x / 9) * 7 + (y / 7) * 13 + (x / 9) * (y / 7);
            const float a = levels[block % 20];
            blobs.set(x, y, a, a, a, a);
        }
    }
    BgraImage full(70, 30);
    for (std::size_t y = 0; y < full.height; ++y) {
        for (std::size_t x = 0; x < full.width; ++x) full.set(x, y, 1, 1, 1, 1);
    }
    full.set(69, 0, 0, 0, 0, 0);  // one hole at a corner: its edges reach the border
    for (const auto& [mask, what] :
         {std::pair<const BgraImage*, const char*>{&wide, "rounded rectangle to the border"},
          {&ring, "ring"},
          {&full, "full mask"}}) {
        expectAgreesWithSearch(*mask, mask->width, mask->height, what);
        expectAgreesWithSearch(*mask, mask->width + 5, mask->height * 2 / 3, what);
    }
    // The blocks' alphas sit on thresholds by design, so many pixels are too close to call; the
    // thousands left still have to agree.
    const FieldComparison c = compareWithSearch(blobs, blobs.width, blobs.height);
    EXPECT_EQ(c.mismatches, 0) << "blocks: " << c.first;
    EXPECT_GT(c.compared, 2000);
    EXPECT_GT(c.withEdge, 500);

    // A texel with no edge is stored as zeros.
    const LGMaskEdgeFieldPixels field = LGMaskEdgeFieldCompute(pixelsOf(full), 70, 30);
    const std::uint8_t* middle = field.texel(35, 15);
    EXPECT_EQ(middle[0] | middle[1] | middle[2] | middle[3], 0);
}

TEST(MaskEdgeField, CoversOnlyWhereTheMaskIsDrawnAndAgreesAcrossItsBands) {
    // A ring in the middle of a tall mask: the field is made in two bands of tile rows, the
    // second on another thread, and it covers the drawn texels' bounds, not the drawable.
    const BgraImage ring = makeRingMask(90, 220, 24, 40);
    std::size_t x0 = ring.width, y0 = ring.height, x1 = 0, y1 = 0;
    for (std::size_t y = 0; y < ring.height; ++y) {
        for (std::size_t x = 0; x < ring.width; ++x) {
            if (ring.at(x, y)[3] < 2) continue;
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
    }
    ASSERT_GT(y1 - y0, 64u) << "tall enough to be made in two bands";
    const LGMaskEdgeFieldPixels field = LGMaskEdgeFieldCompute(pixelsOf(ring), 90, 220);
    EXPECT_EQ(field.fieldX, x0);
    EXPECT_EQ(field.fieldY, y0);
    EXPECT_EQ(field.fieldWidth, x1 - x0 + 1);
    EXPECT_EQ(field.fieldHeight, y1 - y0 + 1);
    EXPECT_EQ(field.field.size(), field.fieldWidth * field.fieldHeight * 4);
    const LGMaskEdgeFieldPlacement placement = field.placement();
    EXPECT_EQ(placement.drawableWidth, 90);
    EXPECT_EQ(placement.drawableHeight, 220);
    EXPECT_EQ(placement.originX, static_cast<int>(x0));
    EXPECT_EQ(placement.originY, static_cast<int>(y0));

    // Every pixel, inside the field or not, as the search finds it; at one size and another.
    expectAgreesWithSearch(ring, 90, 220, "tall ring");
    expectAgreesWithSearch(ring, 97, 181, "tall ring");

    // Made again, the field is the same to the byte: the bands do not depend on the threads.
    for (int again = 0; again < 3; ++again) {
        EXPECT_EQ(LGMaskEdgeFieldCompute(pixelsOf(ring), 90, 220).field, field.field);
    }

    // Nothing drawn: a single texel with no edge stands for the whole drawable.
    const LGMaskEdgeFieldPixels blank = LGMaskEdgeFieldCompute(pixelsOf(BgraImage(40, 30)), 40, 30);
    EXPECT_EQ(blank.fieldWidth * blank.fieldHeight, 1u);
    EXPECT_EQ(LGMaskEdgeFieldDecode(blank.texel(20, 15)).distance, 0);
}

TEST(MaskEdgeField, EdgesReachTenTexelsAndNoFurther) {
    // An opaque band 30 texels wide: the middle column lies 15 texels from both sides, beyond the
    // search's reach; the columns 10 in from a side are the farthest that find it.
    BgraImage band(40, 12);
    for (std::size_t y = 0; y < 12; ++y) {
        for (std::size_t x = 5; x < 35; ++x) band.set(x, y, 1, 1, 1, 1);
    }
    const LGMaskEdgeFieldPixels field = LGMaskEdgeFieldCompute(pixelsOf(band), 40, 12);
    auto at = [&](std::size_t x, std::size_t y) {
        return LGMaskEdgeFieldDecode(field.texel(x, y));
    };
    EXPECT_EQ(at(5, 6).distance, 1);
    EXPECT_FLOAT_EQ(at(5, 6).dirX, -1.0f) << "out of the shape, to the left";
    EXPECT_EQ(at(14, 6).distance, 10);
    EXPECT_EQ(at(15, 6).distance, 0);
    EXPECT_EQ(at(20, 6).distance, 0);
    EXPECT_EQ(at(34, 6).distance, 1);
    EXPECT_FLOAT_EQ(at(34, 6).dirX, 1.0f);
    EXPECT_EQ(at(2, 6).distance, 0) << "outside the shape there is no edge";
}

TEST(MaskEdgeField, TilesHoldTheNearestEdgeAndWhetherAnythingIsDrawn) {
    const BgraImage clock = makeClockMaskImage(100, 50);
    const LGMaskEdgeFieldPixels field = LGMaskEdgeFieldCompute(pixelsOf(clock), 100, 50);
    ASSERT_EQ(field.tilesWide, 7u);  // 100 = 6 x 16 + 4: the last column of tiles is cut short
    ASSERT_EQ(field.tilesHigh, 4u);
    int drawn = 0, empty = 0;
    for (std::size_t ty = 0; ty < field.tilesHigh; ++ty) {
        for (std::size_t tx = 0; tx < field.tilesWide; ++tx) {
            int nearest = 0;
            bool anyAlpha = false;
            for (std::size_t y = ty * 16; y < std::min<std::size_t>(ty * 16 + 16, 50); ++y) {
                for (std::size_t x = tx * 16; x < std::min<std::size_t>(tx * 16 + 16, 100); ++x) {
                    const int d = LGMaskEdgeFieldDecode(field.texel(x, y)).distance;
                    if (d > 0 && (nearest == 0 || d < nearest)) nearest = d;
                    anyAlpha = anyAlpha || clock.at(x, y)[3] >= 2;
                }
            }
            const std::uint8_t* tile = &field.tiles[(ty * field.tilesWide + tx) * 4];
            EXPECT_EQ(tile[2], nearest) << "tile " << tx << ", " << ty;
            EXPECT_EQ(tile[3], anyAlpha ? 255 : 0) << "tile " << tx << ", " << ty;
            (anyAlpha ? drawn : empty) += 1;
        }
    }
    EXPECT_GT(drawn, 0);
    EXPECT_GT(empty, 0) << "the corners of the clock hold no digit";

    // An empty mask: no edges and nothing drawn anywhere.
    const BgraImage none(30, 20);
    const LGMaskEdgeFieldPixels blank = LGMaskEdgeFieldCompute(pixelsOf(none), 30, 20);
    ASSERT_EQ(blank.tiles.size(), 2u * 2u * 4u);
    for (std::size_t i = 0; i < blank.tiles.size(); i += 4) {
        EXPECT_EQ(blank.tiles[i + 2], 0);
        EXPECT_EQ(blank.tiles[i + 3], 0);
    }
    for (std::size_t i = 0; i < blank.field.size(); i += 4) {
        EXPECT_EQ(LGMaskEdgeFieldDecode(&blank.field[i]).distance, 0);
    }
}

TEST(MaskEdgeField, RefusesWhatItCannotRead) {
    const BgraImage mask = makeOnePixelMask(8, 8);
    EXPECT_TRUE(LGMaskEdgeFieldCompute({nullptr, 8, 8, 32}, 8, 8).field.empty());
    EXPECT_TRUE(LGMaskEdgeFieldCompute(pixelsOf(mask), 0, 8).field.empty());
    EXPECT_TRUE(LGMaskEdgeFieldCompute({mask.pixels.data(), 8, 0, 32}, 8, 8).field.empty());
    EXPECT_TRUE(LGMaskEdgeFieldCompute({mask.pixels.data(), 8, 8, 28}, 8, 8).field.empty())
        << "rows shorter than the width";
    EXPECT_FALSE(LGMaskEdgeFieldUpload(nullptr, pixelsOf(mask), 8, 8));
    EXPECT_FALSE(LGMaskEdgeFieldUpload(gpu::Device::systemDefault(), pixelsOf(mask), 8, 0));

    auto device = gpu::Device::systemDefault();
    ASSERT_TRUE(device);
    const LGMaskEdgeFieldTextures textures = LGMaskEdgeFieldUpload(device, pixelsOf(mask), 20, 40);
    ASSERT_TRUE(textures);
    EXPECT_EQ(textures.placement.drawableWidth, 20);
    EXPECT_EQ(textures.placement.drawableHeight, 40);
    EXPECT_EQ(textures.tiles->width(), 2u);
    EXPECT_EQ(textures.tiles->height(), 3u);
}

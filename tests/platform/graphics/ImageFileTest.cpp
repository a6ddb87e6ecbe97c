#include <gtest/gtest.h>
#include <jpeglib.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/graphics/ImageContext.h"
#include "platform/graphics/ImageFile.h"
#include "platform/graphics/detail/JpegDecoder.h"

using base::Color;
using graphics::Image;
using graphics::ImageOrientation;
using graphics::Pixel;

namespace {

class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-image-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A JPEG whose left half is red and right half blue, with an optional Exif orientation tag.
std::vector<uint8_t> makeJpeg(int w, int h, int exifOrientation) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (exifOrientation) {
        // "Exif\0\0", big-endian TIFF header, one IFD entry: tag 0x0112, SHORT, count 1, value.
        const uint8_t exif[] = {
            'E', 'x', 'i', 'f',  0,    0, 'M', 'M', 0, 42, 0, 0, 0,
            8,   0,   1,   0x01, 0x12, 0, 3,   0,   0, 0,  1, 0, uint8_t(exifOrientation),
            0,   0,   0,   0,    0,    0};
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof exif);
    }
    std::vector<uint8_t> row(std::size_t(w) * 3);
    for (int x = 0; x < w; ++x) {
        const bool left = x < w / 2;
        row[x * 3 + 0] = left ? 255 : 0;
        row[x * 3 + 2] = left ? 0 : 255;
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&cinfo);
    free(out);
    return bytes;
}

std::shared_ptr<const Image> translucentSample() {
    auto ctx = graphics::ImageContext::begin({4, 2}, false, 2);
    ctx->context().fillRect({0, 0, 2, 2}, Color(1, 0.5, 0.25, 0.6));
    ctx->context().fillRect({2, 0, 2, 2}, Color(0, 0, 1, 1));
    return ctx->image();
}

}  // namespace

TEST(ImageFile, PngRoundTripKeepsPixelsWithinPremultiplicationRounding) {
    auto original = translucentSample();
    std::string reason;
    auto png = graphics::encodePNG(*original, &reason);
    ASSERT_TRUE(png) << reason;
    auto decoded = graphics::decodeImage(*png, &reason, 2.0);
    ASSERT_NE(decoded, nullptr) << reason;
    EXPECT_EQ(decoded->size(), original->size());
    EXPECT_FALSE(decoded->isOpaque());
    for (auto [x, y] : {std::pair{1, 1}, std::pair{6, 3}}) {
        const Pixel a = original->pixelAt(x, y);
        const Pixel b = decoded->pixelAt(x, y);
        EXPECT_EQ(a.a, b.a);
        EXPECT_NEAR(a.r, b.r, 1);
        EXPECT_NEAR(a.g, b.g, 1);
        EXPECT_NEAR(a.b, b.b, 1);
    }
}

TEST(ImageFile, WritesUprightAtomicallyAndReadsBack) {
    TempDir dir;
    // A 2 × 1 image stored red|blue, shown turned clockwise: red on top of blue.
    std::vector<uint8_t> px = {0, 0, 255, 255, 255, 0, 0, 255};
    auto turned = Image::adoptPixels(px, 2, 1, 1.0, ImageOrientation::Right, true);
    const std::string path = dir.file("shot.png");
    std::string reason;
    ASSERT_TRUE(graphics::writePNGFile(*turned, path, &reason)) << reason;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "no temporary file is left behind";

    auto back = graphics::readImageFile(path, &reason);
    ASSERT_NE(back, nullptr) << reason;
    EXPECT_TRUE(back->isOpaque()) << "opaque images are written without alpha";
    EXPECT_EQ(back->orientation(), ImageOrientation::Up);
    ASSERT_EQ(back->pixelWidth(), 1);
    ASSERT_EQ(back->pixelHeight(), 2);
    EXPECT_EQ(back->pixelAt(0, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(back->pixelAt(0, 1), (Pixel{255, 0, 0, 255}));

    EXPECT_FALSE(graphics::writePNGFile(*turned, dir.file("missing/dir/x.png"), &reason));
    EXPECT_NE(reason.find("missing/dir"), std::string::npos) << reason;
}

TEST(ImageFile, JpegDecodesOpaqueWithItsCameraOrientation) {
    auto plain = graphics::decodeImage(makeJpeg(16, 8, 0));
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(plain->isOpaque());
    EXPECT_EQ(plain->orientation(), ImageOrientation::Up);
    const Pixel left = plain->pixelAt(2, 4), right = plain->pixelAt(13, 4);
    EXPECT_GT(left.r, 230);
    EXPECT_LT(left.b, 25);
    EXPECT_GT(right.b, 230);
    EXPECT_LT(right.r, 25);
    EXPECT_EQ(left.a, 255);

    auto turned = graphics::decodeImage(makeJpeg(16, 8, 6));
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->orientation(), ImageOrientation::Right);
    EXPECT_EQ(turned->size(), (base::Size{8, 16}));
    EXPECT_EQ(graphics::decodeImage(makeJpeg(16, 8, 8))->orientation(), ImageOrientation::Left);
}

TEST(ImageFile, UnreadableOrCorruptInputGivesNullAndAReason) {
    TempDir dir;
    std::string reason;
    EXPECT_EQ(graphics::readImageFile(dir.file("nope.png"), &reason), nullptr);
    EXPECT_NE(reason.find("nope.png"), std::string::npos) << reason;
    EXPECT_NE(reason.find("No such file"), std::string::npos) << reason;

    EXPECT_EQ(graphics::readImageFile(dir.path().string(), &reason), nullptr) << "a directory";
    EXPECT_FALSE(reason.empty());

    writeBytes(dir.file("empty.png"), {});
    EXPECT_EQ(graphics::readImageFile(dir.file("empty.png"), &reason), nullptr);
    EXPECT_NE(reason.find("empty"), std::string::npos) << reason;

    writeBytes(dir.file("text.png"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    EXPECT_EQ(graphics::readImageFile(dir.file("text.png"), &reason), nullptr);
    EXPECT_NE(reason.find("neither PNG nor JPEG"), std::string::npos) << reason;

    // Truncated files of both kinds, at several lengths, must fail cleanly.
    auto png = *graphics::encodePNG(*translucentSample());
    auto jpeg = makeJpeg(32, 32, 0);
    for (std::size_t keep : {8u, 20u, 40u}) {
        std::vector<uint8_t> cut(png.begin(), png.begin() + std::ptrdiff_t(keep));
        reason.clear();
        EXPECT_EQ(graphics::decodeImage(cut, &reason), nullptr) << "png cut at " << keep;
        EXPECT_NE(reason.find("PNG"), std::string::npos) << reason;
    }
    for (std::size_t keep : {3u, 30u, 200u}) {
        std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(keep));
        reason.clear();
        EXPECT_EQ(graphics::decodeImage(cut, &reason), nullptr) << "jpeg cut at " << keep;
        EXPECT_NE(reason.find("JPEG"), std::string::npos) << reason;
    }
    EXPECT_EQ(graphics::decodeImage(png, &reason, 0.0), nullptr) << "scale must be positive";
}

TEST(ImageFile, ExifParserRejectsMalformedBlocks) {
    using graphics::detail::exifOrientation;
    const std::vector<uint8_t> good = {'I',  'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12,
                                       0x01, 3,   0,  1, 0, 0, 0, 3, 0, 0, 0};
    EXPECT_EQ(exifOrientation(good), 3);
    auto bad = good;
    bad[4] = 0xF0;  // IFD offset beyond the block
    EXPECT_EQ(exifOrientation(bad), 0);
    bad = good;
    bad[8] = 9;  // claims nine entries, holds one other tag: stop at the end, read nothing past
    bad[10] = 0x00;
    EXPECT_EQ(exifOrientation(bad), 0);
    bad = good;
    bad[18] = 9;  // orientation out of range
    EXPECT_EQ(exifOrientation(bad), 0);
    EXPECT_EQ(exifOrientation(std::span(good).first(7)), 0);
}

// Regression (fault 7): a JPEG cut short decoded with its lower part grey and counted as a good
// wallpaper. Cut anywhere after its header, baseline or progressive, it is refused.
TEST(ImageFile, TruncatedJpegIsRefusedNotFilledWithGrey) {
    const auto jpeg = makeJpeg(64, 96, 0);
    // Cut inside the scan data, after the start-of-scan marker, where the old decoder went on.
    const uint8_t sosMarker[] = {0xFF, 0xDA};
    const auto sos = std::search(jpeg.begin(), jpeg.end(), sosMarker, sosMarker + 2);
    ASSERT_NE(sos, jpeg.end());
    for (double share : {0.2, 0.5, 0.9}) {
        std::vector<uint8_t> cut(jpeg.begin(),
                                 sos + std::ptrdiff_t(double(jpeg.end() - sos) * share));
        std::string reason;
        EXPECT_EQ(graphics::decodeImage(cut, &reason), nullptr) << "cut at " << share;
        EXPECT_NE(reason.find("JPEG data is truncated or damaged"), std::string::npos) << reason;
    }
    EXPECT_NE(graphics::decodeImage(jpeg), nullptr) << "the whole file still decodes";
}

// Regression (fault 10): libpng's complaint about a 0 x 0 image reached the user as "out of
// memory".
TEST(ImageFile, PngHeaderProblemsAreNamedNotCalledOutOfMemory) {
    auto png = *graphics::encodePNG(*translucentSample());
    auto withSize = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> bytes = png;
        for (int i = 0; i < 4; ++i) {
            bytes[16 + i] = uint8_t(w >> (24 - 8 * i));
            bytes[20 + i] = uint8_t(h >> (24 - 8 * i));
        }
        return bytes;
    };
    std::string reason;
    EXPECT_EQ(graphics::decodeImage(withSize(0, 0), &reason), nullptr);
    EXPECT_EQ(reason, "PNG image has no pixels (0 x 0)");
    EXPECT_EQ(graphics::decodeImage(withSize(100000, 100000), &reason), nullptr);
    EXPECT_EQ(reason, "PNG image is too large (100000 x 100000 pixels)");
    auto damaged = png;
    damaged[damaged.size() / 2] ^= 0xFF;
    EXPECT_EQ(graphics::decodeImage(damaged, &reason), nullptr);
    EXPECT_EQ(reason.find("out of memory"), std::string::npos) << reason;
}

// Regression (faults 1 and 5): reading a wallpaper from a FIFO blocked for ever, and writing the
// picture replaced a device node, a FIFO or a symbolic link with a PNG file.
TEST(ImageFile, FifoIsNeverWaitedOnAndOnlyRegularFilesAreReplaced) {
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string reason;
    EXPECT_EQ(graphics::readImageFile(fifo, &reason), nullptr);
    EXPECT_NE(reason.find("not a regular file (a FIFO)"), std::string::npos) << reason;

    const auto image = translucentSample();
    const std::string target = dir.file("target.png");
    writeBytes(target, {1, 2, 3});
    const std::string link = dir.file("link.png");
    std::filesystem::create_symlink(target, link);
    for (const std::string& path : {fifo, link, dir.path().string()}) {
        EXPECT_FALSE(graphics::writePNGFile(*image, path, &reason)) << path;
        EXPECT_NE(reason.find("refusing to replace"), std::string::npos) << reason;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(fifo)));
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(link)));
    EXPECT_EQ(std::filesystem::file_size(target), 3u) << "nothing written through the link";

    // A regular file is ours to replace.
    EXPECT_TRUE(graphics::writePNGFile(*image, target, &reason)) << reason;
    EXPECT_NE(graphics::readImageFile(target), nullptr);
    EXPECT_EQ(std::vector<std::string>{}, [&] {
        std::vector<std::string> leftovers;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            const auto name = e.path().filename().string();
            if (name.starts_with("target.png.")) leftovers.push_back(name);
        }
        return leftovers;
    }()) << "no temporary file left behind";
}

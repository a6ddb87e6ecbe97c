#include "platform/graphics/ImageFile.h"

#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/base/RegularFile.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/detail/JpegDecoder.h"

namespace graphics {

namespace {

constexpr std::size_t kMaxFileBytes = std::size_t(512) << 20;
// The same limits as for JPEG: no side above 32768 pixels, at most 2^28 pixels in all.
constexpr uint32_t kMaxImageSide = 1u << 15;
constexpr uint64_t kMaxImagePixels = 1ull << 28;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

void setReason(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
}

struct ByteReader {
    std::span<const uint8_t> bytes;
    std::size_t offset = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<ByteReader*>(closure);
    if (r->bytes.size() - r->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes.data() + r->offset, length);
    r->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

uint32_t readBigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// libpng reports every error to Cairo as "out of memory"; the header says most of what can be
// wrong with a file, in words a user can act on, and stops absurd sizes before any allocation.
bool checkPngHeader(std::span<const uint8_t> bytes, std::string* reason) {
    // Signature, chunk length, "IHDR", width, height.
    if (bytes.size() < 24 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) {
        setReason(reason, "PNG data is truncated or has no image header");
        return false;
    }
    const uint32_t width = readBigEndian32(bytes.data() + 16);
    const uint32_t height = readBigEndian32(bytes.data() + 20);
    if (width == 0 || height == 0) {
        setReason(reason, "PNG image has no pixels (" + std::to_string(width) + " x " +
                              std::to_string(height) + ")");
        return false;
    }
    if (width > kMaxImageSide || height > kMaxImageSide ||
        uint64_t(width) * height > kMaxImagePixels) {
        setReason(reason, "PNG image is too large (" + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels)");
        return false;
    }
    return true;
}

std::shared_ptr<const Image> decodePng(std::span<const uint8_t> bytes, double scale,
                                       std::string* reason) {
    if (!checkPngHeader(bytes, reason)) return nullptr;
    ByteReader reader{bytes};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readBytes, &reader);
    const cairo_status_t status = cairo_surface_status(s);
    if (status != CAIRO_STATUS_SUCCESS) {
        // With the size checked above, Cairo's "out of memory" means libpng gave up on the data.
        setReason(reason, status == CAIRO_STATUS_NO_MEMORY
                              ? std::string("PNG data is corrupt or truncated")
                              : std::string("PNG data cannot be decoded: ") +
                                    cairo_status_to_string(status));
        cairo_surface_destroy(s);
        return nullptr;
    }
    const cairo_format_t format = cairo_image_surface_get_format(s);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
        setReason(reason, "PNG data decodes to an unsupported pixel format");
        cairo_surface_destroy(s);
        return nullptr;
    }
    const bool opaque = format == CAIRO_FORMAT_RGB24;
    const int w = cairo_image_surface_get_width(s);
    const int h = cairo_image_surface_get_height(s);
    auto image = Image::copyPixels(cairo_image_surface_get_data(s), w, h,
                                   std::size_t(cairo_image_surface_get_stride(s)), scale,
                                   ImageOrientation::Up, opaque);
    cairo_surface_destroy(s);
    if (!image) {
        setReason(reason, "PNG image has an unusable size or scale");
        return nullptr;
    }
    if (opaque) {
        // RGB24 leaves the high byte undefined; the promise is a full alpha byte.
        std::vector<uint8_t> pixels(image->pixels(), image->pixels() + image->byteCount());
        for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
        image = Image::adoptPixels(std::move(pixels), w, h, scale, ImageOrientation::Up, true);
    }
    return image;
}

}  // namespace

std::shared_ptr<const Image> decodeImage(std::span<const uint8_t> bytes, std::string* reason,
                                         double scale) {
    if (!std::isfinite(scale) || scale <= 0) {
        setReason(reason, "image scale must be a positive number");
        return nullptr;
    }
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0) {
        return decodePng(bytes, scale, reason);
    }
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        return detail::decodeJpeg(bytes, scale, reason);
    }
    setReason(reason, bytes.empty() ? "image data is empty" : "image data is neither PNG nor JPEG");
    return nullptr;
}

std::shared_ptr<const Image> readImageFile(const std::string& path, std::string* reason,
                                           double scale) {
    base::RegularFileError error;
    const auto bytes = base::readRegularFile(path, kMaxFileBytes, &error);
    if (!bytes) {
        setReason(reason, "cannot read image file " + error.message);
        return nullptr;
    }
    std::string why;
    auto image = decodeImage(
        std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()), &why, scale);
    if (!image) setReason(reason, path + ": " + why);
    return image;
}

std::optional<std::vector<uint8_t>> encodePNG(const Image& image, std::string* reason) {
    // Pass 1: bring the pixels upright when the image is shown turned.
    std::shared_ptr<const Image> upright;
    const Image* source = &image;
    if (image.orientation() != ImageOrientation::Up) {
        auto ctx = ImageContext::begin(image.size(), false, image.scale());
        if (!ctx) {
            setReason(reason, "cannot make a context to turn the image upright");
            return std::nullopt;
        }
        ctx->context().drawImage(image, {{0, 0}, image.size()}, BlendMode::Copy);
        upright = ctx->image();
        if (!upright) {
            setReason(reason, "out of memory turning the image upright");
            return std::nullopt;
        }
        source = upright.get();
    }

    // Pass 2: hand the premultiplied pixels to Cairo, which writes straight alpha.
    cairo_surface_t* s = cairo_image_surface_create_for_data(
        const_cast<uint8_t*>(source->pixels()),
        source->isOpaque() ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, source->pixelWidth(),
        source->pixelHeight(), int(source->bytesPerRow()));
    std::vector<uint8_t> out;
    cairo_status_t status = cairo_surface_status(s);
    if (status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_write_to_png_stream(s, appendBytes, &out);
    cairo_surface_finish(s);
    cairo_surface_destroy(s);
    if (status != CAIRO_STATUS_SUCCESS) {
        setReason(reason, std::string("PNG encoding failed: ") + cairo_status_to_string(status));
        return std::nullopt;
    }
    return out;
}

bool writePNGFile(const Image& image, const std::string& path, std::string* reason) {
    // Only a regular file is ours to replace: renaming over a device node, a FIFO or a symbolic
    // link would destroy something that was never an image file.
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        setReason(reason, "refusing to replace " + path +
                              ": it exists and is not a regular file (" +
                              (S_ISLNK(existing.st_mode)    ? "a symbolic link"
                               : S_ISDIR(existing.st_mode)  ? "a directory"
                               : S_ISFIFO(existing.st_mode) ? "a FIFO"
                                                            : "a device or socket") +
                              ")");
        return false;
    }
    auto bytes = encodePNG(image, reason);
    if (!bytes) return false;
    std::string tmp = path + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) {
        setReason(reason, "cannot create " + tmp + ": " + std::strerror(errno));
        return false;
    }
    std::size_t written = 0;
    while (written < bytes->size()) {
        const ssize_t n = ::write(fd, bytes->data() + written, bytes->size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += std::size_t(n);
    }
    const bool complete = written == bytes->size();
    const int saved = errno;
    const bool closed = ::close(fd) == 0;
    if (!complete || !closed) {
        ::unlink(tmp.c_str());
        setReason(reason, "cannot write " + path + ": " + std::strerror(complete ? errno : saved));
        return false;
    }
    // mkstemp makes the file private; an image is an ordinary file.
    ::chmod(tmp.c_str(), 0644);
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        setReason(reason, "cannot rename into " + path + ": " + std::strerror(err));
        return false;
    }
    return true;
}

}  // namespace graphics

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
// jerror.h needs jpeglib.h first.
#include <jerror.h>

#include "platform/graphics/detail/JpegDecoder.h"

namespace graphics::detail {

namespace {

// Decoding stops before allocating for headers that claim absurd sizes.
constexpr unsigned kMaxSide = 1u << 15;
constexpr unsigned long long kMaxPixels = 1ull << 28;

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char damage[JMSG_LENGTH_MAX];  // the first warning that says pixels were made up
};

void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    longjmp(err->jump, 1);
}

// libjpeg's default prints warnings to stderr and goes on. Most are harmless, but after these the
// decoder fills the rest of the picture with grey or garbage: the file is truncated or damaged,
// and showing it would pass a broken wallpaper off as a good one.
bool warningLosesPixels(int code) {
    return code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC ||
           code == JWRN_HUFF_BAD_CODE;
}

void onMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && err->damage[0] == '\0' && warningLosesPixels(cinfo->err->msg_code)) {
        (*cinfo->err->format_message)(cinfo, err->damage);
    }
}

ImageOrientation orientationFromTag(int tag) {
    switch (tag) {
        case 2:
            return ImageOrientation::UpMirrored;
        case 3:
            return ImageOrientation::Down;
        case 4:
            return ImageOrientation::DownMirrored;
        case 5:
            return ImageOrientation::LeftMirrored;
        case 6:
            return ImageOrientation::Right;
        case 7:
            return ImageOrientation::RightMirrored;
        case 8:
            return ImageOrientation::Left;
        default:
            return ImageOrientation::Up;
    }
}

// Everything that libjpeg may longjmp out of lives here, away from objects with destructors
// in the same frame.
bool decodeInto(jpeg_decompress_struct* cinfo, ErrorManager* err, std::span<const uint8_t> bytes,
                std::vector<uint8_t>* pixels, int* width, int* height, int* orientationTag,
                std::string* reason) {
    if (setjmp(err->jump)) {
        if (reason) *reason = std::string("JPEG data cannot be decoded: ") + err->message;
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);

    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            *orientationTag = exifOrientation({m->data + 6, m->data_length - 6});
            break;
        }
    }

    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (cinfo->image_width == 0 || cinfo->image_height == 0 || cinfo->image_width > kMaxSide ||
        cinfo->image_height > kMaxSide ||
        (unsigned long long)cinfo->image_width * cinfo->image_height > kMaxPixels) {
        if (reason) *reason = "JPEG image is too large or has no pixels";
        return false;
    }
    jpeg_start_decompress(cinfo);

    const unsigned w = cinfo->output_width;
    const unsigned h = cinfo->output_height;
    const unsigned comps = cinfo->output_components;
    pixels->assign(std::size_t(w) * h * 4, 255);
    // libjpeg's own pool owns the row, so a longjmp leaks nothing.
    JSAMPARRAY rows = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                  JPOOL_IMAGE, w * comps, 1);
    while (cinfo->output_scanline < h) {
        if (err->damage[0] != '\0') break;
        const unsigned y = cinfo->output_scanline;
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1) break;
        uint8_t* out = pixels->data() + std::size_t(y) * w * 4;
        for (unsigned x = 0; x < w; ++x) {
            const JSAMPLE* in = rows[0] + std::size_t(x) * comps;
            if (cmyk) {
                // Photoshop writes CMYK JPEGs inverted; white paper is all 255 there.
                const unsigned k = in[3];
                out[x * 4 + 0] = uint8_t(in[2] * k / 255);
                out[x * 4 + 1] = uint8_t(in[1] * k / 255);
                out[x * 4 + 2] = uint8_t(in[0] * k / 255);
            } else {
                out[x * 4 + 0] = in[2];
                out[x * 4 + 1] = in[1];
                out[x * 4 + 2] = in[0];
            }
        }
    }
    if (err->damage[0] == '\0' && cinfo->output_scanline < h) {
        std::strcpy(err->damage, "fewer rows than the header promises");
    }
    if (err->damage[0] != '\0') {
        if (reason) *reason = std::string("JPEG data is truncated or damaged: ") + err->damage;
        return false;
    }
    jpeg_finish_decompress(cinfo);
    if (err->damage[0] != '\0') {
        if (reason) *reason = std::string("JPEG data is truncated or damaged: ") + err->damage;
        return false;
    }
    *width = int(w);
    *height = int(h);
    return true;
}

uint32_t readU16(const uint8_t* p, bool little) {
    return little ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1];
}

uint32_t readU32(const uint8_t* p, bool little) {
    return little ? p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24)
                  : (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

}  // namespace

int exifOrientation(std::span<const uint8_t> tiff) {
    if (tiff.size() < 8) return 0;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I') {
        little = true;
    } else if (tiff[0] == 'M' && tiff[1] == 'M') {
        little = false;
    } else {
        return 0;
    }
    if (readU16(&tiff[2], little) != 42) return 0;
    const uint32_t ifd = readU32(&tiff[4], little);
    if (ifd > tiff.size() || tiff.size() - ifd < 2) return 0;
    const uint32_t count = readU16(&tiff[ifd], little);
    for (uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = std::size_t(ifd) + 2 + std::size_t(i) * 12;
        if (entry + 12 > tiff.size()) return 0;
        if (readU16(&tiff[entry], little) != 0x0112) continue;
        const uint32_t type = readU16(&tiff[entry + 2], little);
        if (type != 3) return 0;  // SHORT
        const uint32_t value = readU16(&tiff[entry + 8], little);
        return value >= 1 && value <= 8 ? int(value) : 0;
    }
    return 0;
}

std::shared_ptr<const Image> decodeJpeg(std::span<const uint8_t> bytes, double scale,
                                        std::string* reason) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    err.message[0] = '\0';
    err.damage[0] = '\0';

    std::vector<uint8_t> pixels;
    int w = 0, h = 0, tag = 0;
    const bool ok = decodeInto(&cinfo, &err, bytes, &pixels, &w, &h, &tag, reason);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) return nullptr;
    auto image = Image::adoptPixels(std::move(pixels), w, h, scale, orientationFromTag(tag), true);
    if (!image && reason) *reason = "JPEG image has an unusable size or scale";
    return image;
}

}  // namespace graphics::detail

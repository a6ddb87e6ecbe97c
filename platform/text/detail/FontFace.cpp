#include "platform/text/detail/FontFace.h"

#include <hb-ot.h>
#include <hb.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/base/RegularFile.h"

namespace text::detail {

namespace {

// Larger than any font a phone ships; the largest system fonts here are around 20 MB.
constexpr std::size_t kMaxFontFileBytes = std::size_t(256) << 20;

std::string nameEntry(hb_face_t* face, hb_ot_name_id_t id) {
    unsigned length = hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, nullptr, nullptr);
    if (length == 0) return {};
    std::string text(length + 1, '\0');
    unsigned size = length + 1;
    hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, &size, text.data());
    text.resize(size);
    return text;
}

std::string tagText(uint32_t tag) {
    char text[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
    return text;
}

bool hasTable(hb_face_t* face, hb_tag_t tag, unsigned minimumLength) {
    hb_blob_t* table = hb_face_reference_table(face, tag);
    const bool ok = hb_blob_get_length(table) >= minimumLength;
    hb_blob_destroy(table);
    return ok;
}

// Identity of a file on disk: a rewritten file is a new face.
struct FileKey {
    std::string path;
    unsigned index;
    dev_t device;
    ino_t inode;
    off_t size;
    long mtimeNs;
    bool operator<(const FileKey& o) const {
        return std::tie(path, index, device, inode, size, mtimeNs) <
               std::tie(o.path, o.index, o.device, o.inode, o.size, o.mtimeNs);
    }
};

std::mutex gCacheMutex;
std::map<FileKey, std::weak_ptr<const FontFace>>& fileCache() {
    static auto* cache = new std::map<FileKey, std::weak_ptr<const FontFace>>();
    return *cache;
}

}  // namespace

FontFace::FontFace(hb_face_t* face) : face_(face) {}

FontFace::~FontFace() {
    hb_face_destroy(face_);
}

const VariationAxis* FontFace::axis(uint32_t tag) const {
    for (const auto& a : axes_) {
        if (a.tag == tag) return &a;
    }
    return nullptr;
}

std::shared_ptr<FontFace> FontFace::fromBlob(hb_blob_t* blob, unsigned index, std::string* reason) {
    auto fail = [&](const char* why) -> std::shared_ptr<FontFace> {
        if (reason) *reason = why;
        hb_blob_destroy(blob);
        return nullptr;
    };
    const unsigned count = hb_face_count(blob);
    if (count == 0) return fail("not an OpenType or TrueType font");
    if (index >= count) return fail("the font file has no face with that index");

    hb_face_t* face = hb_face_create(blob, index);
    hb_blob_destroy(blob);
    hb_face_make_immutable(face);
    // HarfBuzz quietly answers empty tables for damaged fonts; text needs real ones.
    auto bad = [&](const char* why) -> std::shared_ptr<FontFace> {
        if (reason) *reason = why;
        hb_face_destroy(face);
        return nullptr;
    };
    if (!hasTable(face, HB_TAG('h', 'e', 'a', 'd'), 54)) return bad("the font has no valid header");
    if (hb_face_get_glyph_count(face) == 0) return bad("the font has no glyphs (damaged file?)");
    if (!hasTable(face, HB_TAG('c', 'm', 'a', 'p'), 4)) return bad("the font has no character map");
    if (!hasTable(face, HB_TAG('h', 'h', 'e', 'a'), 36)) {
        return bad("the font has no horizontal metrics");
    }

    std::shared_ptr<FontFace> result(new FontFace(face));
    result->upem_ = hb_face_get_upem(face);
    result->familyName_ = nameEntry(face, HB_OT_NAME_ID_TYPOGRAPHIC_FAMILY);
    if (result->familyName_.empty())
        result->familyName_ = nameEntry(face, HB_OT_NAME_ID_FONT_FAMILY);
    result->postScriptName_ = nameEntry(face, HB_OT_NAME_ID_POSTSCRIPT_NAME);
    if (result->postScriptName_.empty()) {
        for (char c : result->familyName_) {
            if (c != ' ') result->postScriptName_ += c;
        }
    }

    const unsigned axisCount = hb_ot_var_get_axis_count(face);
    std::vector<hb_ot_var_axis_info_t> infos(axisCount);
    unsigned got = axisCount;
    hb_ot_var_get_axis_infos(face, 0, &got, infos.data());
    for (unsigned i = 0; i < got; ++i) {
        VariationAxis a;
        a.tag = infos[i].tag;
        a.name = nameEntry(face, infos[i].name_id);
        if (a.name.empty()) a.name = tagText(a.tag);
        a.minimum = infos[i].min_value;
        a.defaultValue = infos[i].default_value;
        a.maximum = infos[i].max_value;
        result->axes_.push_back(std::move(a));
    }
    return result;
}

std::shared_ptr<const FontFace> FontFace::fromFile(const std::string& path, unsigned index,
                                                   std::string* reason) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (reason) *reason = "cannot open font file " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        if (reason) *reason = "font path " + path + " is not a regular file";
        return nullptr;
    }
    if (st.st_size == 0) {
        if (reason) *reason = "font file " + path + " is empty";
        return nullptr;
    }
    const FileKey key{path,       index,
                      st.st_dev,  st.st_ino,
                      st.st_size, long(st.st_mtim.tv_sec) * 1000000000L + st.st_mtim.tv_nsec};
    {
        std::lock_guard lock(gCacheMutex);
        auto it = fileCache().find(key);
        if (it != fileCache().end()) {
            if (auto face = it->second.lock()) return face;
        }
    }

    // Read through the non-blocking reader: the path may have been swapped for a FIFO since the
    // stat above.
    base::RegularFileError error;
    auto bytes = base::readRegularFile(path, kMaxFontFileBytes, &error);
    if (!bytes) {
        if (reason) *reason = "cannot read font file " + error.message;
        return nullptr;
    }
    auto* owned = new std::string(std::move(*bytes));
    hb_blob_t* blob =
        hb_blob_create(owned->data(), static_cast<unsigned>(owned->size()), HB_MEMORY_MODE_READONLY,
                       owned, [](void* data) { delete static_cast<std::string*>(data); });
    std::string why;
    auto face = fromBlob(blob, index, &why);
    if (!face) {
        if (reason) *reason = "font file " + path + ": " + why;
        return nullptr;
    }
    face->path_ = path;

    std::lock_guard lock(gCacheMutex);
    auto& cache = fileCache();
    std::erase_if(cache, [](const auto& entry) { return entry.second.expired(); });
    auto& slot = cache[key];
    if (auto existing = slot.lock()) return existing;  // another thread won the race
    slot = face;
    return face;
}

std::shared_ptr<const FontFace> FontFace::fromData(std::span<const uint8_t> bytes, unsigned index,
                                                   std::string* reason) {
    if (bytes.empty()) {
        if (reason) *reason = "font data is empty";
        return nullptr;
    }
    hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<unsigned>(bytes.size()), HB_MEMORY_MODE_DUPLICATE,
                                     nullptr, nullptr);
    return fromBlob(blob, index, reason);
}

}  // namespace text::detail

#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/text/VariationAxis.h"

typedef struct hb_face_t hb_face_t;
typedef struct hb_blob_t hb_blob_t;

namespace text::detail {

// One face of a font file, parsed once and shared by every font made from it. Immutable.
class FontFace {
  public:
    // nullptr with `reason` set when the file cannot be read, is not an OpenType/TrueType font,
    // has no face `index`, or lacks the tables text needs (glyphs, character map, metrics).
    // Faces of the same unchanged file are shared while any of them lives.
    static std::shared_ptr<const FontFace> fromFile(const std::string& path, unsigned index,
                                                    std::string* reason);
    // Same checks over bytes; the bytes are copied.
    static std::shared_ptr<const FontFace> fromData(std::span<const uint8_t> bytes, unsigned index,
                                                    std::string* reason);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    hb_face_t* hbFace() const { return face_; }
    const std::string& postScriptName() const { return postScriptName_; }
    const std::string& familyName() const { return familyName_; }
    const std::vector<VariationAxis>& axes() const { return axes_; }
    const VariationAxis* axis(uint32_t tag) const;
    unsigned unitsPerEm() const { return upem_; }
    // Empty for faces made from bytes.
    const std::string& path() const { return path_; }

  private:
    explicit FontFace(hb_face_t* face);
    static std::shared_ptr<FontFace> fromBlob(hb_blob_t* blob, unsigned index, std::string* reason);

    hb_face_t* face_;
    std::string path_;
    std::string postScriptName_;
    std::string familyName_;
    std::vector<VariationAxis> axes_;
    unsigned upem_ = 1000;
};

}  // namespace text::detail

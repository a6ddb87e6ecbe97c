#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/graphics/Path.h"
#include "platform/text/FontDescriptor.h"
#include "platform/text/FontWeight.h"
#include "platform/text/VariationAxis.h"

typedef struct hb_font_t hb_font_t;

namespace text {

namespace detail {
class FontFace;
}

// A font at a point size: one face of a font file and, for a variable font, one value on each
// axis. Immutable and shared; safe to use from any thread.
//
// Metrics are in points, y up from the baseline: ascent and descent are both positive distances
// (above and below the baseline), lineHeight is ascent + descent + leading.
class Font {
  public:
    // Sizes that are not positive and finite mean the platform's default size, 12 points.

    // The system UI font. With the installed variable sans font the weight sets its `wght` axis
    // (see wghtForWeight). nullptr only when the machine has no fonts at all.
    static std::shared_ptr<const Font> systemFont(double size, double weight = FontWeight::Regular);
    static std::shared_ptr<const Font> boldSystemFont(double size);
    // nullptr when the descriptor names a font that is neither registered nor installed, or asks
    // for a design that is not installed.
    static std::shared_ptr<const Font> create(const FontDescriptor& descriptor, double size);
    // A font straight from a file or bytes, not registered anywhere. nullptr with `reason` set
    // when the file is missing or unreadable or the bytes are not a usable font.
    static std::shared_ptr<const Font> fromFile(const std::string& path, double size,
                                                std::string* reason = nullptr);
    static std::shared_ptr<const Font> fromData(std::span<const uint8_t> bytes, double size,
                                                std::string* reason = nullptr);

    std::shared_ptr<const Font> withSize(double size) const;
    // The same face at these axis values (clamped to each axis; tags the font lacks are ignored;
    // axes not named keep this font's values).
    std::shared_ptr<const Font> withVariations(const Variations& values, double size) const;

    // A descriptor that makes this same font again (at any size).
    FontDescriptor descriptor() const;
    const std::string& postScriptName() const;
    const std::string& familyName() const;
    double pointSize() const { return size_; }
    // On the platform's scale: from the `wght` axis when the font has one, otherwise from the
    // font's declared weight class.
    double weight() const;
    FontDesign design() const { return design_; }

    double ascent() const { return ascent_; }
    double descent() const { return descent_; }
    double leading() const { return leading_; }
    double lineHeight() const { return ascent_ + descent_ + leading_; }
    double capHeight() const { return capHeight_; }
    double xHeight() const { return xHeight_; }

    std::vector<VariationAxis> variationAxes() const;
    // This instance's value on every axis of the font.
    const Variations& variations() const { return variations_; }

    bool hasGlyph(char32_t codepoint) const;
    // An installed font at this size (and weight, where its design allows) that has a glyph for
    // the character, for text this font cannot show; nullptr when no installed font has one.
    std::shared_ptr<const Font> fallbackFont(char32_t codepoint) const;
    // The glyph's outline in points, y up, origin at the glyph origin; empty for unknown glyphs
    // and blank ones.
    const graphics::Path& glyphPath(uint32_t glyph) const;

    // Same face, size and axis values.
    friend bool operator==(const Font& a, const Font& b);

    // The shaping handle, for the text layout.
    hb_font_t* hbFont() const { return hb_; }
    const std::shared_ptr<const detail::FontFace>& face() const { return face_; }

    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // HarfBuzz works in whole units; this many per point keeps positions exact to 1/64 point.
    static constexpr int kUnitsPerPoint = 64;

  private:
    struct Private {
        explicit Private() = default;
    };

  public:
    Font(Private, std::shared_ptr<const detail::FontFace> face, double size, Variations variations,
         FontDesign design);

  private:
    static std::shared_ptr<const Font> make(std::shared_ptr<const detail::FontFace> face,
                                            double size, const Variations& requested,
                                            FontDesign design);

    std::shared_ptr<const detail::FontFace> face_;
    double size_;
    Variations variations_;
    FontDesign design_;
    hb_font_t* hb_;
    double ascent_ = 0, descent_ = 0, leading_ = 0, capHeight_ = 0, xHeight_ = 0;

    mutable std::mutex glyphMutex_;
    mutable std::unordered_map<uint32_t, std::unique_ptr<graphics::Path>> glyphPaths_;
    mutable std::unordered_map<const detail::FontFace*, std::shared_ptr<const Font>> fallbacks_;
};

using FontRef = std::shared_ptr<const Font>;

}  // namespace text

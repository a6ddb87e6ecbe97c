#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/text/FontWeight.h"
#include "platform/text/VariationAxis.h"

namespace text {

namespace detail {
class FontFace;
}

enum class FontDesign { Default, Rounded };

// What a font should be, before a size is chosen: a PostScript name (fonts registered for the
// process or installed), or the system font of a weight and design; plus axis values for a
// variable font. Font::create turns it into a font. A descriptor taken from a font names that
// exact font.
class FontDescriptor {
  public:
    // The regular system font.
    FontDescriptor() = default;
    static FontDescriptor system(double weight = FontWeight::Regular);
    static FontDescriptor named(std::string postScriptName);

    // Axis values, replacing any given before; values outside an axis are clamped when the font
    // is made, tags the font lacks are ignored.
    FontDescriptor withVariations(Variations variations) const;
    FontDescriptor withWeight(double weight) const;
    // The same weight in another design of the system font; nullopt when no font of that design
    // is installed.
    std::optional<FontDescriptor> withDesign(FontDesign design) const;

    const std::string& postScriptName() const { return postScriptName_; }
    std::optional<double> weight() const { return weight_; }
    FontDesign design() const { return design_; }
    const Variations& variations() const { return variations_; }

    friend bool operator==(const FontDescriptor&, const FontDescriptor&);

  private:
    friend class Font;

    std::string postScriptName_;
    std::optional<double> weight_;
    FontDesign design_ = FontDesign::Default;
    Variations variations_;
    // Set on descriptors taken from a font: the face it was made from, which a font made from
    // bytes has no name to be found by.
    std::shared_ptr<const detail::FontFace> face_;
};

}  // namespace text

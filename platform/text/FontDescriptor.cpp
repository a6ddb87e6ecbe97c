#include "platform/text/FontDescriptor.h"

#include <cmath>

#include "platform/text/detail/SystemFonts.h"

namespace text {

FontDescriptor FontDescriptor::system(double weight) {
    FontDescriptor d;
    d.weight_ = std::isnan(weight) ? FontWeight::Regular : weight;
    return d;
}

FontDescriptor FontDescriptor::named(std::string postScriptName) {
    FontDescriptor d;
    d.postScriptName_ = std::move(postScriptName);
    return d;
}

FontDescriptor FontDescriptor::withVariations(Variations variations) const {
    FontDescriptor d = *this;
    d.variations_ = std::move(variations);
    return d;
}

FontDescriptor FontDescriptor::withWeight(double weight) const {
    FontDescriptor d = *this;
    d.weight_ = std::isnan(weight) ? FontWeight::Regular : weight;
    // An explicit weight axis would otherwise win over the new weight.
    d.variations_.erase(kWeightAxis);
    return d;
}

std::optional<FontDescriptor> FontDescriptor::withDesign(FontDesign design) const {
    const double weight = weight_.value_or(FontWeight::Regular);
    if (design == FontDesign::Rounded && !detail::roundedFace(weight)) return std::nullopt;
    FontDescriptor d;
    d.weight_ = weight;
    d.design_ = design;
    return d;
}

bool operator==(const FontDescriptor& a, const FontDescriptor& b) {
    return a.postScriptName_ == b.postScriptName_ && a.weight_ == b.weight_ &&
           a.design_ == b.design_ && a.variations_ == b.variations_ && a.face_ == b.face_;
}

}  // namespace text

#pragma once

namespace graphics {

// How a drawing operation combines its colour (source) with the pixels already there
// (destination). The Porter–Duff modes that read the destination's alpha (SourceIn, SourceOut,
// DestinationIn, DestinationAtop) act on the whole clip area, not only under the shape: pixels
// outside the shape count as transparent source. That is what makes DestinationIn useful as a
// mask over a whole layer.
enum class BlendMode {
    Normal,  // source over destination
    Multiply,
    Screen,
    Overlay,
    Darken,
    Lighten,
    Clear,  // the shape's area becomes transparent
    Copy,   // the shape's area takes the source, alpha included
    SourceIn,
    SourceOut,
    SourceAtop,
    DestinationOver,
    DestinationIn,
    DestinationOut,
    DestinationAtop,
    Xor,
    PlusLighter,  // saturating add
};

}  // namespace graphics

#pragma once

#include "glass/LGMaskEdgeField.h"
#include "glass/detail/LGMaskEdgeFieldWriting.h"

// The edge field where the drawable and the mask have one size: the filtered search
// (glass/detail/LGMaskSampledSearch.h), made cheap by every pixel centre being a texel centre.
// Reads along the axes then land on texel centres, and reads along a diagonal at step s land s /
// sqrt(2) texels out on both axes, between the same four texels with the same weights for every
// pixel; so the search works on the bytes with weights made once, instead of filtering every read.
// The GPU's and the filtered search's rounding move a read by far less than the glass's margins
// around its thresholds.
//
// Most texels of a glyph mask are far from any edge, and those near one find it at a step that
// the texels around them decide, so the search runs on bits, 64 texels of a row at a time: at
// each step, a texel whose axis probe reads a texel below half has its edge there; a diagonal
// probe whose four texels are all below half, or none, is decided without weights, and only a
// probe between texels on both sides of one half is filtered. A texel with no texel below half
// within ten texels in the chessboard metric (found by dilating the below-half texels one texel
// at a time) has no edge and is not searched at all. The planes are a copy of the mask with a
// margin that repeats its border, as clamp-to-edge would, so no read is checked against the
// mask's bounds.

// Makes the field of `out` (a drawable of the mask's size, tiles all zero) cover the drawn
// texels, and writes it and the tiles: the tiles of drawn texels marked as drawn, the edges found
// and each tile's least distance.
void LGMaskTexelSearchWrite(const LGMaskPixels& mask, const LGMaskDrawnBounds& drawn,
                            LGMaskEdgeFieldPixels& out);

#pragma once

#include "glass/LGMaskEdgeField.h"
#include "glass/detail/LGMaskEdgeFieldWriting.h"

// The edge field for a drawable of any size: at each pixel's centre, the search that
// glass/LGMaskEdgeField.h describes, reading the mask filtered as the GPU's sampler does. Where the
// drawable has the mask's size, glass/detail/LGMaskTexelSearch.h finds the same far faster.
//
// Makes the field of `out` (the drawable's size set, tiles all zero) cover the pixels whose reads
// can take a drawn texel, and writes it and the tiles.
void LGMaskSampledSearchWrite(const LGMaskPixels& mask, const LGMaskDrawnBounds& drawn,
                              LGMaskEdgeFieldPixels& out);

#pragma once

#include <cstdint>

namespace ui {

class Layer;

// A number that changes whenever what the compositor draws for the tree below `root` may have
// changed: any layer's properties, contents or drawn content, the sublayers and their order, a
// mask, or an animation running now (a tree with a running animation gets a new number at every
// media time). Equal numbers at the same scale mean the same picture, so a caller that drew the
// tree before can keep what it drew. Walks the tree without recursion. Main thread only.
std::uint64_t layerTreeVersion(const Layer& root);

}  // namespace ui

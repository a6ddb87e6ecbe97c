#pragma once

#include <cstdint>

// Counts of the renderer's GPU work in this process, for tests and benchmarks. They only grow.
// Main thread only.
struct LGGlassStatistics {
    std::uint64_t wallpaperUploads = 0;  // wallpaper textures made (cache misses)
    std::uint64_t maskUploads = 0;       // shape-mask textures made
    std::uint64_t maskEdgeFields = 0;    // edge fields made for a mask
    std::uint64_t blurBakes = 0;         // blur passes run into a view's blurred texture
    std::uint64_t framesCommitted = 0;   // glass frames encoded and committed
};

LGGlassStatistics& LGGlassStatisticsShared();

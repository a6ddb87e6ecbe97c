#pragma once

#include <string_view>

// The glass program as it was before the mask's edge field: it searches the mask for the edge in
// every pixel and runs every step for every pixel. Same bindings as LGGlassShaderSource() less
// texture 2. The benchmark draws it next to the current program to print before and after.
std::string_view GlassShaderBefore();

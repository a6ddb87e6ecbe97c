#pragma once

namespace gpu::detail {

// GL_BGRA_EXT (GL_EXT_texture_format_BGRA8888, GL_EXT_read_format_bgra). Spelled out here
// because gl2ext.h does not combine cleanly with gl3.h.
inline constexpr unsigned kGlBgraExt = 0x80E1;

}  // namespace gpu::detail

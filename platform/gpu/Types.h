#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Value types shared by the GPU module: pixel formats, usage flags, regions and the enumerations
// of render and sampler state.
namespace gpu {

// The only pixel format the system draws with: 8-bit blue, green, red, alpha, normalised. Memory
// order is B, G, R, A per pixel, row 0 first; row 0 is the top of the image.
enum class PixelFormat { BGRA8Unorm };

constexpr std::size_t bytesPerPixel(PixelFormat) {
    return 4;
}

enum class TextureUsage : std::uint32_t {
    None = 0,
    ShaderRead = 1u << 0,
    ShaderWrite = 1u << 1,
    RenderTarget = 1u << 2,
};

constexpr TextureUsage operator|(TextureUsage a, TextureUsage b) {
    return static_cast<TextureUsage>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

// True when every flag of `wanted` is present in `usage`.
constexpr bool hasUsage(TextureUsage usage, TextureUsage wanted) {
    return (static_cast<std::uint32_t>(usage) & static_cast<std::uint32_t>(wanted)) ==
           static_cast<std::uint32_t>(wanted);
}

struct Origin {
    std::size_t x = 0;
    std::size_t y = 0;
};

struct Extent {
    std::size_t width = 0;
    std::size_t height = 0;
};

// A rectangle of texels; origin (0, 0) is the top-left texel.
struct Region {
    Origin origin;
    Extent size;
};

struct ClearColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.0;
};

enum class LoadAction { DontCare, Load, Clear };

enum class BlendFactor {
    Zero,
    One,
    SourceColor,
    OneMinusSourceColor,
    SourceAlpha,
    OneMinusSourceAlpha,
    DestinationColor,
    OneMinusDestinationColor,
    DestinationAlpha,
    OneMinusDestinationAlpha,
};

enum class BlendOperation { Add, Subtract, ReverseSubtract, Min, Max };

enum class PrimitiveType { Triangle, TriangleStrip };

enum class SamplerFilter { Nearest, Linear };

enum class SamplerAddressMode { ClampToEdge, Repeat, MirrorRepeat };

enum class ShaderStage { Vertex, Fragment };

// Binding slots of the fragment stage. Texture slot i is texture unit i; buffer slot i is uniform
// block binding i.
inline constexpr std::size_t kMaxFragmentTextures = 8;
inline constexpr std::size_t kMaxFragmentSamplers = 8;
inline constexpr std::size_t kMaxFragmentBuffers = 8;

// Largest constant record accepted by setFragmentBytes.
inline constexpr std::size_t kMaxInlineBytes = 4096;

// A resource slot that a stage declares: texture slot i is read through the sampler uniform
// `name` (with the sampler state bound at `samplerIndex`, or the texture's own nearest,
// clamp-to-edge reading when there is none); buffer slot i is the uniform block `name`.
struct FunctionBinding {
    enum class Kind { Texture, Buffer };
    Kind kind = Kind::Texture;
    std::size_t index = 0;
    std::string name;
    std::optional<std::size_t> samplerIndex;
};

}  // namespace gpu

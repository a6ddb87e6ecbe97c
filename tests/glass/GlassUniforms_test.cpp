#include <gtest/gtest.h>

#include <cstddef>

#include "tests/glass/GlassRenderer.h"

namespace {

// The C++ record is handed to the GPU byte for byte, so the driver's own layout of the compiled
// block must put every member where the struct does.
TEST(GlassUniforms, CompiledBlockLayoutIsTheStructLayout) {
    std::string error;
    auto renderer = GlassRenderer::create(&error);
    ASSERT_TRUE(renderer) << error;
    const auto layout = renderer->pipelines().whole->fragmentBufferLayout(0);
    ASSERT_TRUE(layout.has_value()) << "fragment buffer 0 is not bound to the Uniforms block";
    EXPECT_EQ(layout->blockName, "Uniforms");
    EXPECT_EQ(layout->dataSize, sizeof(Uniforms));

    const std::pair<const char*, std::size_t> members[] = {
        {"resolution", offsetof(Uniforms, resolution)},
        {"screenResolution", offsetof(Uniforms, screenResolution)},
        {"cardOrigin", offsetof(Uniforms, cardOrigin)},
        {"wallpaperResolution", offsetof(Uniforms, wallpaperResolution)},
        {"radius", offsetof(Uniforms, radius)},
        {"bezelWidth", offsetof(Uniforms, bezelWidth)},
        {"glassThickness", offsetof(Uniforms, glassThickness)},
        {"refractionScale", offsetof(Uniforms, refractionScale)},
        {"refractiveIndex", offsetof(Uniforms, refractiveIndex)},
        {"specularOpacity", offsetof(Uniforms, specularOpacity)},
        {"specularAngle", offsetof(Uniforms, specularAngle)},
        {"blur", offsetof(Uniforms, blur)},
        {"wallpaperOrigin", offsetof(Uniforms, wallpaperOrigin)},
        {"samplingOrientation", offsetof(Uniforms, samplingOrientation)},
        {"hasShapeMask", offsetof(Uniforms, hasShapeMask)},
    };
    EXPECT_EQ(layout->memberOffsets.size(), std::size(members));
    for (const auto& [name, offset] : members) {
        auto it = layout->memberOffsets.find(name);
        ASSERT_NE(it, layout->memberOffsets.end()) << name;
        EXPECT_EQ(it->second, offset) << name;
    }
}

}  // namespace

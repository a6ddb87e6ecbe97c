#include <gtest/gtest.h>

#include "tests/platform/gpu/GpuTestSupport.h"

namespace {

class GpuLibrary : public GpuTest {};

TEST_F(GpuLibrary, CompileFailureHandsOverTheDriversMessageWithProgramLines) {
    const char* source =
        "precision highp float;\n"
        "#pragma stage fragment broken\n"
        "out vec4 o;\n"
        "void broken() {\n"
        "    o = vec4(1.0);\n"
        "    o.r = undefinedThing;\n"  // line 6
        "}\n";
    std::string error;
    EXPECT_FALSE(device_->newLibrary(source, &error));
    EXPECT_EQ(error.rfind("fragment stage 'broken' failed to compile: ", 0), 0u) << error;
    EXPECT_NE(error.find("undefinedThing"), std::string::npos) << error;
    // Drivers write the position as "0:6(..)" or "0(6)"; either way it is the program's line.
    const bool namesLine6 =
        error.find(":6(") != std::string::npos || error.find("(6)") != std::string::npos;
    EXPECT_TRUE(namesLine6) << error;
}

TEST_F(GpuLibrary, LinkFailureAndMissingEntriesAreReportedByName) {
    const char* source =
        "precision highp float;\n"
        "#pragma stage vertex plain\n"
        "void plain() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0); }\n"
        "#pragma stage fragment wantsInput\n"
        "in vec2 neverWritten;\n"
        "out vec4 o;\n"
        "void wantsInput() { o = vec4(neverWritten, 0.0, 1.0); }\n";
    std::string error;
    auto library = device_->newLibrary(source, &error);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(library->functionNames(), (std::vector<std::string>{"plain", "wantsInput"}));

    EXPECT_FALSE(library->newFunction("fragmentShader", &error));
    EXPECT_EQ(error, "no function named 'fragmentShader' (the program has: plain, wantsInput)");

    gpu::RenderPipelineDescriptor descriptor;
    descriptor.vertexFunction = library->newFunction("plain");
    EXPECT_FALSE(device_->newRenderPipelineState(descriptor, &error));
    EXPECT_EQ(error, "the pipeline has no fragment function");

    descriptor.fragmentFunction = library->newFunction("plain");
    EXPECT_FALSE(device_->newRenderPipelineState(descriptor, &error));
    EXPECT_EQ(error, "'plain' is not a fragment function");

    descriptor.fragmentFunction = library->newFunction("wantsInput");
    EXPECT_FALSE(device_->newRenderPipelineState(descriptor, &error));
    EXPECT_EQ(error.rfind("'plain' and 'wantsInput' failed to link: ", 0), 0u) << error;
    EXPECT_NE(error.find("neverWritten"), std::string::npos) << error;
}

}  // namespace

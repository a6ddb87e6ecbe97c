#include "platform/gpu/detail/ProgramText.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using gpu::FunctionBinding;
using gpu::ShaderStage;
using gpu::detail::parseProgramText;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

constexpr const char* kProgram =
    "precision highp float;\n"                       // 1
    "float shared_helper() { return 1.0; }\n"        // 2
    "#pragma stage vertex vs\n"                      // 3
    "void vs() { gl_Position = vec4(0.0); }\n"       // 4
    "#pragma stage fragment fs\n"                    // 5
    "#pragma texture 1 tex sampler 2\n"              // 6
    "#pragma buffer 0 Block\n"                       // 7
    "uniform sampler2D tex;\n"                       // 8
    "layout(std140) uniform Block { vec4 c; };\n"    // 9
    "out vec4 o;\n"                                  // 10
    "void fs(void) { o = c * shared_helper(); }\n";  // 11

TEST(ProgramText, SplitsStagesAndKeepsTheProgramsLineNumbers) {
    std::string error;
    auto entries = parseProgramText(kProgram, &error);
    ASSERT_TRUE(entries) << error;
    ASSERT_EQ(entries->size(), 2u);
    const auto& vs = (*entries)[0];
    const auto& fs = (*entries)[1];
    EXPECT_EQ(vs.name, "vs");
    EXPECT_EQ(vs.stage, ShaderStage::Vertex);
    EXPECT_EQ(fs.name, "fs");
    EXPECT_EQ(fs.stage, ShaderStage::Fragment);

    ASSERT_EQ(fs.bindings.size(), 2u);
    EXPECT_EQ(fs.bindings[0].kind, FunctionBinding::Kind::Texture);
    EXPECT_EQ(fs.bindings[0].index, 1u);
    EXPECT_EQ(fs.bindings[0].name, "tex");
    EXPECT_EQ(fs.bindings[0].samplerIndex, std::optional<std::size_t>(2));
    EXPECT_EQ(fs.bindings[1].kind, FunctionBinding::Kind::Buffer);
    EXPECT_EQ(fs.bindings[1].name, "Block");

    // Two header lines, then line n of the program is line n of every stage: the shared part
    // verbatim, the stage's own lines verbatim, everything else blank.
    const auto vsLines = linesOf(vs.glsl);
    const auto fsLines = linesOf(fs.glsl);
    EXPECT_EQ(vsLines[0], "#version 300 es");
    EXPECT_EQ(vsLines[1], "#line 1");
    EXPECT_EQ(vsLines[2], "precision highp float;");
    EXPECT_EQ(fsLines[3], "float shared_helper() { return 1.0; }");
    EXPECT_EQ(vsLines[1 + 4], "void vs() { gl_Position = vec4(0.0); }");
    EXPECT_EQ(fsLines[1 + 4], "");
    EXPECT_EQ(fsLines[1 + 6], "") << "directives are blanked";
    EXPECT_EQ(fsLines[1 + 11], "void fs(void) { o = c * shared_helper(); }");
    EXPECT_EQ(vsLines[1 + 11], "");

    // The generated main calls the entry; the vertex one puts clip-space top on row 0.
    EXPECT_EQ(vsLines.back(), "void main() { vs(); gl_Position.y = -gl_Position.y; }");
    EXPECT_EQ(fsLines.back(), "void main() { fs(); }");
}

TEST(ProgramText, RejectsMalformedTextSayingWhereAndWhy) {
    const std::string entry = "#pragma stage fragment f\nout vec4 o;\nvoid f() { o = vec4(1); }\n";
    const std::pair<std::string, std::string> cases[] = {
        {"#version 300 es\n" + entry, "line 1: #version is supplied by the library"},
        {"void helper() {}\n", "declares no stage"},
        {"#pragma stage geometry g\n", "line 1: expected '#pragma stage vertex|fragment"},
        {"#pragma stage vertex v\nvoid other() {}\n",
         "line 1: stage entry 'v' is not defined as 'void v()'"},
        {"#pragma stage vertex v\n// void v() {}\n", "stage entry 'v' is not defined"},
        {entry + "void main() { f(); }\n", "defines main()"},
        {"#pragma texture 0 t\n" + entry, "line 1: bindings belong inside a stage section"},
        {"#pragma stage vertex v\n#pragma buffer 0 B\nvoid v() {}\n",
         "line 2: only the fragment stage takes bindings"},
        {entry + "#pragma texture 8 t\nuniform sampler2D t;\n",
         "line 4: expected '#pragma texture"},
        {entry + "#pragma texture 0 t sampler 9\nuniform sampler2D t;\n",
         "line 4: sampler slot must be 0-7"},
        {entry + "#pragma buffer 0 A\n#pragma buffer 0 B\n",
         "line 5: buffer slot 0 is bound twice"},
        {entry + "#pragma texture 0 missing\n",
         "binds 'missing', which it does not declare as a uniform"},
        {entry + "#pragma buffer 0 Missing\nuniform vec4 Missing;\n",
         "binds 'Missing', which it does not declare"},
        {entry + "#pragma stage vertex f\nvoid f() {}\n",
         "line 4: stage entry 'f' is declared twice"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(parseProgramText(text, &error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos)
            << "text:\n"
            << text << "error: " << error << "\nexpected: " << expected;
    }
}

TEST(ProgramText, OtherPragmasAndStagesOwnDeclarationsPassThrough) {
    const std::string text =
        "#pragma optimize(off)\n"
        "#pragma stage fragment a\n"
        "out vec4 o;\n"
        "void a() { o = vec4(1); }\n"
        "#pragma stage fragment b\n"
        "out vec4 o;\n"
        "void b() { o = vec4(0); }\n";
    std::string error;
    auto entries = parseProgramText(text, &error);
    ASSERT_TRUE(entries) << error;
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_NE((*entries)[0].glsl.find("#pragma optimize(off)"), std::string::npos);
    // Each stage sees only its own section: no duplicate `out vec4 o`.
    EXPECT_EQ((*entries)[0].glsl.find("void b()"), std::string::npos);
    EXPECT_EQ((*entries)[1].glsl.find("void a()"), std::string::npos);
}

}  // namespace

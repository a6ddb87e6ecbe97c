#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/Types.h"

namespace gpu::detail {

// One stage entry of a program text, ready for the GLSL compiler.
struct StageEntry {
    ShaderStage stage = ShaderStage::Vertex;
    std::string name;
    std::size_t line = 0;  // line of its "#pragma stage" directive
    std::string glsl;      // complete GLSL ES 3.00 text, line numbers as in the program text
    std::vector<FunctionBinding> bindings;
};

// Splits a program text into its stage entries and checks the directives; see Library.h for the
// format. std::nullopt with *error set when the text is malformed.
std::optional<std::vector<StageEntry>> parseProgramText(std::string_view text, std::string* error);

}  // namespace gpu::detail

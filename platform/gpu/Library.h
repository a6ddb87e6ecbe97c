#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/Types.h"

namespace gpu {

class Device;

namespace detail {
struct StageEntry;
}

// One compiled stage entry of a library.
class Function {
  public:
    ~Function();
    Function(const Function&) = delete;
    Function& operator=(const Function&) = delete;

    const std::string& name() const { return name_; }
    ShaderStage stage() const { return stage_; }
    const std::vector<FunctionBinding>& bindings() const { return bindings_; }
    const std::shared_ptr<Device>& device() const { return device_; }
    unsigned glShaderName() const { return shader_; }

  private:
    friend class Library;
    Function(std::shared_ptr<Device> device, detail::StageEntry entry, unsigned shader);

    std::shared_ptr<Device> device_;
    std::string name_;
    ShaderStage stage_;
    std::vector<FunctionBinding> bindings_;
    unsigned shader_;
};

// A shader program carried as text and compiled at run time.
//
// The text is GLSL ES 3.00 without a #version line, cut into sections by directives:
//
//     ...shared code (precision, structs, helpers), seen by every stage...
//     #pragma stage vertex vertexShader
//     ...vertex code, defining void vertexShader()...
//     #pragma stage fragment fragmentShader
//     #pragma texture 0 blurredTex sampler 0
//     #pragma buffer 0 Uniforms
//     ...fragment code, defining void fragmentShader()...
//
// Each "#pragma stage" opens a section and names its entry point, a `void name()` function that
// the section defines. The library generates each stage's main(), which calls the entry; the text
// itself must not define main(). Stage inputs and outputs are the usual `in`/`out` globals.
// "#pragma texture i name [sampler j]" binds fragment texture slot i to the sampler uniform
// `name`, read with the sampler state in fragment sampler slot j; "#pragma buffer i Block" binds
// fragment buffer slot i to the std140 uniform block `Block`. Compiler messages refer to lines of
// the program text.
class Library {
  public:
    // The entry called `name`, or nullptr when the text has none; *error (when given) then lists
    // the entries there are.
    std::shared_ptr<Function> newFunction(std::string_view name,
                                          std::string* error = nullptr) const;

    std::vector<std::string> functionNames() const;

  private:
    friend class Device;
    static std::shared_ptr<Library> compile(std::shared_ptr<Device> device, std::string_view text,
                                            std::string* error);

    std::vector<std::shared_ptr<Function>> functions_;
};

}  // namespace gpu

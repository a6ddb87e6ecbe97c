#include "platform/gpu/detail/ProgramText.h"

#include <cctype>
#include <charconv>

namespace gpu::detail {

namespace {

constexpr std::string_view kVersionLine = "#version 300 es\n#line 1\n";

bool isIdentifierStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool isIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool isIdentifier(std::string_view word) {
    if (word.empty() || !isIdentifierStart(word[0])) return false;
    for (char c : word) {
        if (!isIdentifierChar(c)) return false;
    }
    return true;
}

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::optional<std::size_t> parseIndex(std::string_view word, std::size_t limit) {
    std::size_t value = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value >= limit) {
        return std::nullopt;
    }
    return value;
}

// Replaces comments by spaces (keeping newlines) so that token scans see only code.
std::string stripComments(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        if (out[i] == '/' && out[i + 1] == '/') {
            while (i < out.size() && out[i] != '\n') out[i++] = ' ';
        } else if (out[i] == '/' && out[i + 1] == '*') {
            out[i] = out[i + 1] = ' ';
            i += 2;
            while (i < out.size() && !(out[i] == '*' && i + 1 < out.size() && out[i + 1] == '/')) {
                if (out[i] != '\n') out[i] = ' ';
                ++i;
            }
            if (i + 1 < out.size()) out[i] = out[i + 1] = ' ';
        }
    }
    return out;
}

// Identifiers and single punctuation characters of code without comments or preprocessor lines.
std::vector<std::string_view> tokenize(std::string_view code) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    bool lineStart = true;
    while (i < code.size()) {
        char c = code[i];
        if (c == '\n') {
            lineStart = true;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (lineStart && c == '#') {
            while (i < code.size() && code[i] != '\n') ++i;
        } else if (isIdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t start = i;
            while (i < code.size() && (isIdentifierChar(code[i]) || code[i] == '.')) ++i;
            tokens.push_back(code.substr(start, i - start));
            lineStart = false;
        } else {
            tokens.push_back(code.substr(i, 1));
            ++i;
            lineStart = false;
        }
    }
    return tokens;
}

// True when `void name()` or `void name(void)` is followed by a body.
bool definesVoidFunction(const std::vector<std::string_view>& t, std::string_view name) {
    for (std::size_t i = 0; i + 4 < t.size(); ++i) {
        if (t[i] != "void" || t[i + 1] != name || t[i + 2] != "(") continue;
        std::size_t j = i + 3;
        if (t[j] == "void") ++j;
        if (j + 1 < t.size() && t[j] == ")" && t[j + 1] == "{") return true;
    }
    return false;
}

bool definesFunction(const std::vector<std::string_view>& t, std::string_view name) {
    for (std::size_t i = 1; i + 1 < t.size(); ++i) {
        if (t[i] == name && t[i + 1] == "(" && isIdentifier(t[i - 1])) return true;
    }
    return false;
}

// A uniform variable `name` (a sampler), declared as `uniform ... name;` or `uniform ... name[`.
bool declaresUniformVariable(const std::vector<std::string_view>& t, std::string_view name) {
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i] != name || (t[i + 1] != ";" && t[i + 1] != "[")) continue;
        for (std::size_t j = i; j-- > 0;) {
            if (t[j] == ";" || t[j] == "{" || t[j] == "}") break;
            if (t[j] == "uniform") return true;
        }
    }
    return false;
}

bool declaresUniformBlock(const std::vector<std::string_view>& t, std::string_view name) {
    for (std::size_t i = 0; i + 2 < t.size(); ++i) {
        if (t[i] == "uniform" && t[i + 1] == name && t[i + 2] == "{") return true;
    }
    return false;
}

struct Section {
    StageEntry entry;
    std::string ownCode;  // the section's lines only, for the entry check
};

std::string lineError(std::size_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

}  // namespace

std::optional<std::vector<StageEntry>> parseProgramText(std::string_view text, std::string* error) {
    auto fail = [&](const std::string& what) -> std::optional<std::vector<StageEntry>> {
        if (error != nullptr) *error = what;
        return std::nullopt;
    };

    // Pass 1: split into lines, read the directives, and note which section owns each line.
    // Owner -1 is the shared part before the first stage; -2 marks a directive line, which every
    // stage sees as blank so that line numbers in compiler messages match the program text.
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<int> owner(lines.size(), -1);
    std::vector<Section> sections;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t lineNumber = i + 1;
        std::vector<std::string_view> words = splitWords(lines[i]);
        owner[i] = static_cast<int>(sections.size()) - 1;
        if (words.empty()) continue;
        if (words[0] == "#version") {
            return fail(lineError(lineNumber, "#version is supplied by the library; remove it"));
        }
        if (words[0] != "#pragma" || words.size() < 2) continue;
        const std::string_view kind = words[1];
        if (kind != "stage" && kind != "texture" && kind != "buffer") continue;
        owner[i] = -2;

        if (kind == "stage") {
            if (words.size() != 4 || (words[2] != "vertex" && words[2] != "fragment") ||
                !isIdentifier(words[3])) {
                return fail(
                    lineError(lineNumber, "expected '#pragma stage vertex|fragment <name>'"));
            }
            for (const Section& s : sections) {
                if (s.entry.name == words[3]) {
                    return fail(lineError(lineNumber, "stage entry '" + std::string(words[3]) +
                                                          "' is declared twice"));
                }
            }
            Section section;
            section.entry.stage =
                words[2] == "vertex" ? ShaderStage::Vertex : ShaderStage::Fragment;
            section.entry.name = std::string(words[3]);
            section.entry.line = lineNumber;
            sections.push_back(std::move(section));
            continue;
        }

        if (sections.empty()) {
            return fail(lineError(lineNumber, "bindings belong inside a stage section"));
        }
        StageEntry& entry = sections.back().entry;
        if (entry.stage != ShaderStage::Fragment) {
            return fail(lineError(lineNumber, "only the fragment stage takes bindings"));
        }
        FunctionBinding binding;
        binding.kind =
            kind == "texture" ? FunctionBinding::Kind::Texture : FunctionBinding::Kind::Buffer;
        const std::size_t slotLimit =
            kind == "texture" ? kMaxFragmentTextures : kMaxFragmentBuffers;
        const bool shapeOk =
            kind == "texture" ? (words.size() == 4 || (words.size() == 6 && words[4] == "sampler"))
                              : words.size() == 4;
        std::optional<std::size_t> index =
            words.size() >= 3 ? parseIndex(words[2], slotLimit) : std::nullopt;
        if (!shapeOk || !index || !isIdentifier(words[3])) {
            return fail(lineError(lineNumber,
                                  kind == "texture"
                                      ? "expected '#pragma texture <0-7> <uniform> [sampler <0-7>]'"
                                      : "expected '#pragma buffer <0-7> <block>'"));
        }
        binding.index = *index;
        binding.name = std::string(words[3]);
        if (words.size() == 6) {
            binding.samplerIndex = parseIndex(words[5], kMaxFragmentSamplers);
            if (!binding.samplerIndex) {
                return fail(lineError(lineNumber, "sampler slot must be 0-7"));
            }
        }
        for (const FunctionBinding& other : entry.bindings) {
            if (other.kind == binding.kind && other.index == binding.index) {
                return fail(lineError(lineNumber, std::string(kind) + " slot " +
                                                      std::to_string(binding.index) +
                                                      " is bound twice"));
            }
        }
        entry.bindings.push_back(std::move(binding));
    }
    if (sections.empty()) return fail("the program declares no stage ('#pragma stage ...')");

    // Pass 2: assemble each stage's text, check its entry and bindings, append the generated main.
    std::vector<StageEntry> entries;
    for (std::size_t k = 0; k < sections.size(); ++k) {
        Section& section = sections[k];
        std::string body;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const bool visible = owner[i] == -1 || owner[i] == static_cast<int>(k);
            if (visible) body.append(lines[i]);
            body.push_back('\n');
            if (owner[i] == static_cast<int>(k)) {
                section.ownCode.append(lines[i]);
                section.ownCode.push_back('\n');
            }
        }
        const std::string code = stripComments(body);
        const std::vector<std::string_view> tokens = tokenize(code);
        const std::string ownCode = stripComments(section.ownCode);
        const std::vector<std::string_view> ownTokens = tokenize(ownCode);
        StageEntry& entry = section.entry;
        if (definesFunction(tokens, "main")) {
            return fail(
                "the program defines main(); each stage's main is generated and calls "
                "its entry");
        }
        if (!definesVoidFunction(ownTokens, entry.name)) {
            return fail(lineError(entry.line, "stage entry '" + entry.name +
                                                  "' is not defined as 'void " + entry.name +
                                                  "()' in its section"));
        }
        for (const FunctionBinding& binding : entry.bindings) {
            const bool declared = binding.kind == FunctionBinding::Kind::Texture
                                      ? declaresUniformVariable(tokens, binding.name)
                                      : declaresUniformBlock(tokens, binding.name);
            if (!declared) {
                return fail(lineError(entry.line, "stage '" + entry.name + "' binds '" +
                                                      binding.name + "', which it does not " +
                                                      "declare as a uniform"));
            }
        }

        // Row 0 of every texture is the top of the image, so clip-space y = +1 must land on
        // row 0 of the render target; GL puts it on the last row, hence the flip.
        entry.glsl.reserve(kVersionLine.size() + body.size() + 96);
        entry.glsl.append(kVersionLine);
        entry.glsl.append(body);
        if (entry.stage == ShaderStage::Vertex) {
            entry.glsl.append("void main() { " + entry.name +
                              "(); gl_Position.y = -gl_Position.y; }\n");
        } else {
            entry.glsl.append("void main() { " + entry.name + "(); }\n");
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace gpu::detail

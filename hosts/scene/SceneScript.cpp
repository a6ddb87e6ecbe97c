#include "hosts/scene/SceneScript.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"

namespace scene {

namespace {

constexpr std::size_t kMaxScriptBytes = 1024 * 1024;
constexpr int kMaxNesting = 32;
constexpr std::size_t kMaxSteps = 100000;

// Step keys every action accepts besides its own parameters.
const std::set<std::string> kCommonKeys = {"do", "at", "after", "comment"};

// Deeper nesting than any script needs is refused before parsing, so that hostile input cannot
// make the parser or the value's destruction recurse deeply.
bool nestingWithin(const std::string& text, int limit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{') {
            if (++depth > limit) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

const char* kindName(ParamKind kind) {
    switch (kind) {
        case ParamKind::Number:
            return "a number";
        case ParamKind::Integer:
            return "a whole number";
        case ParamKind::Boolean:
            return "true or false";
        case ParamKind::String:
            return "a string";
        case ParamKind::Array:
            return "an array";
        case ParamKind::Object:
            return "an object";
        case ParamKind::Scalar:
            return "a number, true or false, or a string";
    }
    return "a value";
}

std::string formatNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// Empty when the value fits the parameter.
std::string checkParam(const ParamSpec& definition, const Json& value) {
    const std::string name = "\"" + definition.name + "\"";
    switch (definition.kind) {
        case ParamKind::Number:
        case ParamKind::Integer: {
            if (!value.is_number()) return name + " must be " + kindName(definition.kind);
            const double number = value.get<double>();
            if (!std::isfinite(number)) return name + " must be a finite number";
            if (definition.kind == ParamKind::Integer && number != std::floor(number)) {
                return name + " must be a whole number";
            }
            if (number < definition.min || number > definition.max) {
                return name + " must be between " + formatNumber(definition.min) + " and " +
                       formatNumber(definition.max) + " (got " + formatNumber(number) + ")";
            }
            return {};
        }
        case ParamKind::Boolean:
            return value.is_boolean() ? std::string() : name + " must be true or false";
        case ParamKind::String: {
            if (!value.is_string()) return name + " must be a string";
            const auto& text = value.get_ref<const std::string&>();
            if (double(text.size()) < definition.min || double(text.size()) > definition.max) {
                return name + " must be " + formatNumber(std::max(definition.min, 0.0)) + " to " +
                       formatNumber(definition.max) + " bytes long";
            }
            if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
                return name + " must not contain a NUL character";
            }
            if (!definition.choices.empty()) {
                for (const auto& choice : definition.choices) {
                    if (text == choice) return {};
                }
                std::string list;
                for (const auto& choice : definition.choices) list += (list.empty() ? "" : ", ") + choice;
                return name + " must be one of " + list + " (got \"" + text + "\")";
            }
            return {};
        }
        case ParamKind::Array:
            return value.is_array() ? std::string() : name + " must be an array";
        case ParamKind::Object:
            return value.is_object() ? std::string() : name + " must be an object";
        case ParamKind::Scalar:
            if (value.is_number() && !std::isfinite(value.get<double>())) {
                return name + " must be a finite number";
            }
            return value.is_number() || value.is_boolean() || value.is_string()
                       ? std::string()
                       : name + " must be " + kindName(definition.kind);
    }
    return {};
}

// Empty when the step is well formed; `at` advances past `previousAt`.
std::string checkStep(const Json& step, const ActionTable& actions, double previousAt, double& at,
                      const ActionSpec*& definition) {
    if (!step.is_object()) return "a step must be an object";
    const auto action = step.find("do");
    if (action == step.end()) return "the step has no \"do\" (its action)";
    if (!action->is_string()) return "\"do\" must be a string";
    definition = actions.find(action->get<std::string>());
    if (definition == nullptr) {
        std::string list;
        for (const auto& name : actions.names()) list += (list.empty() ? "" : ", ") + name;
        return "unknown action \"" + action->get<std::string>() + "\" (known: " + list + ")";
    }

    // Pass 1: when the step runs.
    const bool hasAt = step.contains("at");
    const bool hasAfter = step.contains("after");
    if (hasAt && hasAfter) return "a step takes \"at\" or \"after\", not both";
    const ParamSpec timeSpec{hasAt ? "at" : "after", ParamKind::Number, false, 0, kMaxSceneSeconds};
    at = previousAt;
    if (hasAt || hasAfter) {
        const Json& time = step.at(timeSpec.name);
        if (std::string problem = checkParam(timeSpec, time); !problem.empty()) return problem;
        at = hasAt ? time.get<double>() : previousAt + time.get<double>();
    }
    if (at < previousAt) {
        return "\"at\" " + formatNumber(at) + " is before the previous step's time " +
               formatNumber(previousAt);
    }
    if (at > kMaxSceneSeconds) return "the scene would last longer than a day";

    // Pass 2: every key is known and every value fits.
    for (const auto& [key, value] : step.items()) {
        if (kCommonKeys.count(key)) continue;
        const ParamSpec* param = nullptr;
        for (const auto& candidate : definition->params) {
            if (candidate.name == key) param = &candidate;
        }
        if (param == nullptr) return "unknown parameter \"" + key + "\" for \"" + definition->name + "\"";
        if (std::string problem = checkParam(*param, value); !problem.empty()) return problem;
    }
    for (const auto& param : definition->params) {
        if (param.required && !step.contains(param.name)) {
            return "\"" + definition->name + "\" needs \"" + param.name + "\"";
        }
    }

    // Pass 3: the action's own rules across its values.
    if (definition->validate) return definition->validate(step);
    return {};
}

}  // namespace

void ActionTable::add(ActionSpec definition) {
    std::string name = definition.name;
    actions_[name] = std::move(definition);
}

const ActionSpec* ActionTable::find(const std::string& name) const {
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : &it->second;
}

std::vector<std::string> ActionTable::names() const {
    std::vector<std::string> names;
    for (const auto& [name, definition] : actions_) names.push_back(name);
    return names;
}

std::optional<Script> parseScript(const std::string& text, const std::string& source,
                                  const ActionTable& actions, std::string& error) {
    if (!nestingWithin(text, kMaxNesting)) {
        error = source + ": nested more than " + std::to_string(kMaxNesting) + " levels deep";
        return std::nullopt;
    }
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::exception& e) {
        error = source + ": not valid JSON: " + e.what();
        return std::nullopt;
    }
    if (!root.is_object()) {
        error = source + ": the script must be a JSON object with a \"steps\" array";
        return std::nullopt;
    }
    for (const auto& [key, value] : root.items()) {
        if (key != "steps" && key != "comment") {
            error = source + ": unknown key \"" + key + "\" (a script has \"steps\")";
            return std::nullopt;
        }
    }
    const auto steps = root.find("steps");
    if (steps == root.end() || !steps->is_array()) {
        error = source + ": the script must have a \"steps\" array";
        return std::nullopt;
    }
    if (steps->size() > kMaxSteps) {
        error = source + ": more than " + std::to_string(kMaxSteps) + " steps";
        return std::nullopt;
    }

    Script script;
    script.source = source;
    double previousAt = 0;
    for (std::size_t i = 0; i < steps->size(); ++i) {
        const Json& step = (*steps)[i];
        double at = 0;
        const ActionSpec* definition = nullptr;
        if (std::string problem = checkStep(step, actions, previousAt, at, definition);
            !problem.empty()) {
            error = source + ": step " + std::to_string(i) + ": " + problem;
            return std::nullopt;
        }
        script.steps.push_back({i, at, definition->name, step});
        previousAt = at;
    }
    return script;
}

std::optional<Script> loadScript(const std::string& path, const ActionTable& actions,
                                 std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = path + ": not a regular file";
        return std::nullopt;
    }
    if (std::size_t(info.st_size) > kMaxScriptBytes) {
        ::close(fd);
        error = path + ": larger than 1 MiB";
        return std::nullopt;
    }
    std::string text(std::size_t(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = path + ": " + std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        done += std::size_t(n);
    }
    ::close(fd);
    text.resize(done);
    return parseScript(text, path, actions, error);
}

bool runScript(const Script& script, const ActionTable& actions, std::string& error) {
    auto& loop = dispatch::RunLoop::main();
    dispatch::Nanos start = dispatch::nowNanos();
    for (const Step& step : script.steps) {
        const dispatch::Nanos due = start + dispatch::nanosFromSeconds(step.at);
        loop.runUntil(due);
        const ActionSpec* definition = actions.find(step.action);
        if (definition == nullptr || !definition->run) continue;
        std::string problem;
        if (!definition->run(step, problem)) {
            error = script.source + ": step " + std::to_string(step.index) + " (" + step.action +
                    "): " + problem;
            return false;
        }
        // A step that took time itself (running to the next minute) pushes the later steps back
        // by that time, so that their "after" stays measured from this step's end.
        if (const dispatch::Nanos overrun = dispatch::nowNanos() - due; overrun > 0)
            start += overrun;
    }
    return true;
}

}  // namespace scene

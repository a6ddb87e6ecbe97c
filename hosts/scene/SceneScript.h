#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/dispatch/Time.h"

namespace scene {

// Scene scripts: the one way tests, the command-line program and the main job drive a host.
//
// A script is a JSON object with a "steps" array. Each step is an object naming its action in
// "do" and when it runs: "at" seconds after the scene started, or "after" seconds after the step
// before (default 0). Steps run in order on the host's main loop, whose clock is moved to each
// step's time, so everything timed in between (minute ticks, animations, display links) happens
// as it would on the device:
//
//     {"steps": [
//         {"do": "notification", "id": "n1", "title": "Mail", "body": "Lunch?"},
//         {"after": 0.5, "do": "snapshot", "file": "after.png"}
//     ]}
//
// The whole script is checked before anything runs: a script that is not JSON, a step that is not
// an object, an unknown action, a missing, unknown or ill-typed parameter, a value outside its
// range or a time that goes backwards is refused with the file, the step's index and what was
// wrong.

using Json = nlohmann::json;

// The longest scene a script may describe, in seconds of the host's clock: enough for any scene a
// person would watch, and a bound on the work a script can ask for.
inline constexpr double kMaxSceneSeconds = 24 * 60 * 60;

// Scalar: a number, true or false, or a string.
enum class ParamKind { Number, Integer, Boolean, String, Array, Object, Scalar };

struct ParamSpec {
    std::string name;
    ParamKind kind = ParamKind::Number;
    bool required = false;
    // Inclusive bounds for numbers; for strings, the length in bytes (at least 1 when min is 1).
    double min = -1e9;
    double max = 1e9;
    // For strings: the accepted values; empty accepts any.
    std::vector<std::string> choices = {};
};

struct Step {
    std::size_t index = 0;  // 0-based position in the script
    double at = 0;          // seconds after the scene started
    std::string action;
    Json params;  // the step object as written
};

// One action a host accepts: its parameters, an optional check of the values together (returns
// an error text, empty when the step is fine), and what it does. `run` returns false with
// `error` set when the step could not be carried out; the scene stops there.
struct ActionSpec {
    std::string name;
    std::vector<ParamSpec> params;
    std::function<std::string(const Json& step)> validate;
    std::function<bool(const Step& step, std::string& error)> run;
};

class ActionTable {
  public:
    void add(ActionSpec definition);
    const ActionSpec* find(const std::string& name) const;
    std::vector<std::string> names() const;

  private:
    std::map<std::string, ActionSpec> actions_;
};

struct Script {
    std::string source;  // the file name, or a label for a built-in script
    std::vector<Step> steps;
};

// The checked script, or nullopt with `error` "SOURCE: step N: what was wrong" (or "SOURCE: what"
// for faults of the whole file).
std::optional<Script> parseScript(const std::string& text, const std::string& source,
                                  const ActionTable& actions, std::string& error);

// Reads and checks a script file. The file is opened without blocking and read only when it is a
// regular file of at most 1 MiB.
std::optional<Script> loadScript(const std::string& path, const ActionTable& actions,
                                 std::string& error);

// Runs the steps on the main loop: before each step the main loop runs until the step's time
// (measured from the moment run is called). A step that takes time of its own moves the times of
// the steps after it back by as much. False with `error` ("SOURCE: step N (action): ...")
// when a step fails; the steps after it do not run. Afterwards the loop has run to the last step.
bool runScript(const Script& script, const ActionTable& actions, std::string& error);

}  // namespace scene

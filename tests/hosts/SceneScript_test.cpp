// Scene scripts are input from outside: every fault is refused, before anything runs, with the
// file, the step and what was wrong.
#include "hosts/scene/SceneScript.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hosts/scene/SnapshotFile.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"

namespace fs = std::filesystem;
using scene::ActionSpec;
using scene::ActionTable;
using scene::ParamKind;

namespace {

struct Ran {
    std::string action;
    double at;
};

class SceneScriptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ActionSpec tap{"tap",
                       {{"x", ParamKind::Number, true, 0, 400},
                        {"label", ParamKind::String, false, 1, 10, {"ok", "cancel"}},
                        {"count", ParamKind::Integer, false, 1, 5},
                        {"on", ParamKind::Boolean},
                        {"value", ParamKind::Scalar}},
                       {},
                       [this](const scene::Step& step, std::string&) {
                           ran.push_back({step.action, dispatch::now() - start});
                           return true;
                       }};
        ActionSpec pair{"pair",
                        {{"a", ParamKind::Number}, {"b", ParamKind::Number}},
                        [](const scene::Json& step) {
                            return step.contains("a") == step.contains("b")
                                       ? std::string()
                                       : std::string("\"a\" and \"b\" go together");
                        },
                        [this](const scene::Step& step, std::string&) {
                            ran.push_back({step.action, dispatch::now() - start});
                            return true;
                        }};
        ActionSpec slow{"slow", {}, {}, [this](const scene::Step& step, std::string&) {
                            dispatch::RunLoop::main().runFor(dispatch::nanosFromSeconds(10));
                            ran.push_back({step.action, dispatch::now() - start});
                            return true;
                        }};
        ActionSpec fail{"fail", {}, {}, [](const scene::Step&, std::string& error) {
                            error = "it broke";
                            return false;
                        }};
        actions.add(tap);
        actions.add(pair);
        actions.add(slow);
        actions.add(fail);
    }

    // The error of a script that must be refused.
    std::string refusal(const std::string& text) {
        std::string error;
        auto script = scene::parseScript(text, "s.json", actions, error);
        EXPECT_FALSE(script.has_value()) << text;
        return error;
    }

    dispatch::ManualClock clock{100};
    double start = 100;
    ActionTable actions;
    std::vector<Ran> ran;
};

}  // namespace

TEST_F(SceneScriptTest, StepsRunInOrderAtTheirTimesAndStepsThatTakeTimePushLaterOnesBack) {
    std::string error;
    auto script = scene::parseScript(R"({"steps": [
        {"do": "tap", "x": 1},
        {"at": 2.5, "do": "pair", "a": 1, "b": 2},
        {"after": 0.5, "do": "slow"},
        {"after": 1, "do": "tap", "x": 3, "label": "ok", "count": 2, "on": true, "value": "v"}
    ]})",
                                     "s.json", actions, error);
    ASSERT_TRUE(script) << error;
    ASSERT_TRUE(scene::runScript(*script, actions, error)) << error;
    ASSERT_EQ(ran.size(), 4u);
    EXPECT_DOUBLE_EQ(ran[0].at, 0);
    EXPECT_DOUBLE_EQ(ran[1].at, 2.5);
    EXPECT_DOUBLE_EQ(ran[2].at, 13);  // ran at 3, took 10 s
    EXPECT_DOUBLE_EQ(ran[3].at, 14);  // one second after the slow step ended
}

TEST_F(SceneScriptTest, AFailingStepStopsTheSceneAndNamesItself) {
    std::string error;
    auto script = scene::parseScript(
        R"({"steps": [{"do": "tap", "x": 1}, {"do": "fail"}, {"do": "tap", "x": 2}]})", "s.json",
        actions, error);
    ASSERT_TRUE(script);
    EXPECT_FALSE(scene::runScript(*script, actions, error));
    EXPECT_EQ(error, "s.json: step 1 (fail): it broke");
    EXPECT_EQ(ran.size(), 1u);
}

TEST_F(SceneScriptTest, MalformedScriptsAreRefusedWithFileStepAndReason) {
    EXPECT_NE(refusal("").find("s.json: not valid JSON"), std::string::npos);
    EXPECT_NE(refusal("{\"steps\": [").find("not valid JSON"), std::string::npos);
    EXPECT_NE(refusal("[]").find("must be a JSON object"), std::string::npos);
    EXPECT_NE(refusal("{}").find("\"steps\" array"), std::string::npos);
    EXPECT_NE(refusal(R"({"steps": {}})").find("\"steps\" array"), std::string::npos);
    EXPECT_NE(refusal(R"({"steps": [], "extra": 1})").find("unknown key \"extra\""),
              std::string::npos);
    // Invalid UTF-8 is not JSON.
    EXPECT_NE(refusal("{\"steps\": [{\"do\": \"tap\", \"x\": 1, \"label\": \"\xff\"}]}")
                  .find("not valid JSON"),
              std::string::npos);
    // Nesting far deeper than any script needs never reaches the parser.
    EXPECT_NE(refusal(std::string(100000, '[') + std::string(100000, ']')).find("nested"),
              std::string::npos);
}

TEST_F(SceneScriptTest, BadStepsAreRefusedNamingTheStepIndex) {
    auto step = [this](const std::string& body) {
        return refusal(R"({"steps": [{"do": "tap", "x": 1}, )" + body + "]}");
    };
    EXPECT_EQ(step("3"), "s.json: step 1: a step must be an object");
    EXPECT_EQ(step("{}"), "s.json: step 1: the step has no \"do\" (its action)");
    EXPECT_EQ(step(R"({"do": 4})"), "s.json: step 1: \"do\" must be a string");
    EXPECT_EQ(step(R"({"do": "jump"})"),
              "s.json: step 1: unknown action \"jump\" (known: fail, pair, slow, tap)");
    EXPECT_EQ(step(R"({"do": "tap"})"), "s.json: step 1: \"tap\" needs \"x\"");
    EXPECT_EQ(step(R"({"do": "tap", "x": 1, "y": 2})"),
              "s.json: step 1: unknown parameter \"y\" for \"tap\"");
    EXPECT_EQ(step(R"({"do": "tap", "x": "1"})"), "s.json: step 1: \"x\" must be a number");
    EXPECT_EQ(step(R"({"do": "tap", "x": 401})"),
              "s.json: step 1: \"x\" must be between 0 and 400 (got 401)");
    EXPECT_EQ(step(R"({"do": "tap", "x": 1, "count": 1.5})"),
              "s.json: step 1: \"count\" must be a whole number");
    EXPECT_EQ(step(R"({"do": "tap", "x": 1, "on": 1})"),
              "s.json: step 1: \"on\" must be true or false");
    EXPECT_EQ(step(R"({"do": "tap", "x": 1, "label": "maybe"})"),
              "s.json: step 1: \"label\" must be one of ok, cancel (got \"maybe\")");
    EXPECT_EQ(step(R"({"do": "tap", "x": 1, "value": [1]})"),
              "s.json: step 1: \"value\" must be a number, true or false, or a string");
    EXPECT_EQ(step(R"({"do": "tap", "x": 1, "label": "o\u0000k"})"),
              "s.json: step 1: \"label\" must not contain a NUL character");
    EXPECT_EQ(step(R"({"do": "pair", "a": 1})"), "s.json: step 1: \"a\" and \"b\" go together");
}

TEST_F(SceneScriptTest, TimesMustBeFiniteOrderedAndWithinADay) {
    auto step = [this](const std::string& body) {
        return refusal(R"({"steps": [{"at": 5, "do": "tap", "x": 1}, )" + body + "]}");
    };
    EXPECT_EQ(step(R"({"at": 4, "do": "tap", "x": 1})"),
              "s.json: step 1: \"at\" 4 is before the previous step's time 5");
    EXPECT_EQ(step(R"({"after": -1, "do": "tap", "x": 1})"),
              "s.json: step 1: \"after\" must be between 0 and 86400 (got -1)");
    EXPECT_EQ(step(R"({"at": 6, "after": 1, "do": "tap", "x": 1})"),
              "s.json: step 1: a step takes \"at\" or \"after\", not both");
    EXPECT_EQ(step(R"({"after": 1e400, "do": "tap", "x": 1})").find("not valid JSON") !=
                  std::string::npos,
              true);
    EXPECT_EQ(step(R"({"after": 86399, "do": "tap", "x": 1})"),
              "s.json: step 1: the scene would last longer than a day");
    EXPECT_TRUE(ran.empty());
}

TEST_F(SceneScriptTest, FilesAreReadOnlyWhenRegularAndNeverBlockOnAFifo) {
    char pattern[] = "/tmp/qv-scene-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::string error;

    EXPECT_FALSE(scene::loadScript(dir + "/missing.json", actions, error));
    EXPECT_NE(error.find("missing.json: No such file"), std::string::npos);

    const std::string fifo = dir + "/fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(scene::loadScript(fifo, actions, error));
    EXPECT_EQ(error, fifo + ": not a regular file");

    EXPECT_FALSE(scene::loadScript(dir, actions, error));
    EXPECT_EQ(error, dir + ": not a regular file");

    const std::string big = dir + "/big.json";
    std::ofstream(big) << std::string(1024 * 1024 + 1, ' ');
    EXPECT_FALSE(scene::loadScript(big, actions, error));
    EXPECT_EQ(error, big + ": larger than 1 MiB");

    const std::string good = dir + "/good.json";
    std::ofstream(good) << R"({"steps": [{"do": "tap", "x": 1}]})";
    EXPECT_TRUE(scene::loadScript(good, actions, error)) << error;
    fs::remove_all(dir);
}

TEST(SnapshotFile, OnlyPlainPngNamesInsideTheFolder) {
    EXPECT_TRUE(scene::isSnapshotFileName("lock-screen_2.png"));
    for (const char* bad : {"", ".png", "../x.png", "a/b.png", "x.jpg", ".hidden.png", "a b.png",
                            "/etc/x.png", "x.png/"}) {
        EXPECT_FALSE(scene::isSnapshotFileName(bad)) << bad;
    }
    EXPECT_FALSE(scene::isSnapshotFileName(std::string(125, 'a') + ".png"));
}

TEST(SnapshotFile, NeverReplacesWhatIsNotARegularFile) {
    char pattern[] = "/tmp/qv-snap-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    ASSERT_EQ(::mkfifo((dir + "/fifo.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir + "/link.png");
    std::string error;
    EXPECT_FALSE(scene::writeScreenSnapshot(dir, "fifo.png", error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos);
    EXPECT_FALSE(scene::writeScreenSnapshot(dir, "link.png", error));
    EXPECT_TRUE(fs::is_fifo(dir + "/fifo.png"));
    EXPECT_TRUE(fs::is_symlink(dir + "/link.png"));
    fs::remove_all(dir);
}

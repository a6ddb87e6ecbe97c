#include "platform/substrate/TweakLoader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/DeviceRoot.h"

namespace fs = std::filesystem;
using substrate::TweakLoadResult;
using Outcome = TweakLoadResult::Outcome;

namespace {

const char* kSpringBoardFilter = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key>
<array><string>com.apple.springboard</string></array></dict></dict></plist>)";

class TweakLoader : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-loader-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        base::setDeviceRoot(root_);
        dir_ = substrate::tweakDirectory();
        fs::create_directories(dir_);
        log_ = root_ + "/probe.log";
        ::setenv("QV_PROBE_LOG", log_.c_str(), 1);
    }
    void TearDown() override {
        base::setDeviceRoot("");
        fs::remove_all(root_);
    }

    // Each test copies libraries under names of its own: a name dlopen has seen is not run again.
    void install(const std::string& probe, const std::string& name, const char* filter) {
        fs::copy_file(probe, dir_ + "/" + name + ".so");
        if (filter) std::ofstream(dir_ + "/" + name + ".plist") << filter;
    }

    std::vector<std::string> loggedProbes() const {
        std::ifstream in(log_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    static const TweakLoadResult* find(const std::vector<TweakLoadResult>& results,
                                       const std::string& name) {
        for (const auto& r : results) {
            if (r.name == name) return &r;
        }
        return nullptr;
    }

    std::string root_;
    std::string dir_;
    std::string log_;
};

}  // namespace

TEST_F(TweakLoader, LoadsMatchingTweaksInNameOrderAndRunsTheirInitialisers) {
    install(PROBE_Beta, "OrderB", kSpringBoardFilter);
    install(PROBE_Alpha, "OrderA", kSpringBoardFilter);
    install(PROBE_Other, "OrderC",
            R"(<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key>
            <array><string>com.apple.Preferences</string></array></dict></dict></plist>)");

    testing::internal::CaptureStderr();
    const auto results = substrate::loadTweaks("com.apple.springboard", "SpringBoard");
    const std::string err = testing::internal::GetCapturedStderr();

    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].name, "OrderA.so");
    EXPECT_EQ(results[0].outcome, Outcome::Loaded);
    EXPECT_EQ(results[1].outcome, Outcome::Loaded);
    EXPECT_EQ(results[2].outcome, Outcome::NotForThisProcess);
    EXPECT_EQ(loggedProbes(), (std::vector<std::string>{"Alpha", "Beta"}));
    // Not meant for this process is no fault: nothing is said.
    EXPECT_EQ(err, "");
}

TEST_F(TweakLoader, AnotherProcessLoadsOnlyWhatNamesItByBundleOrExecutable) {
    install(PROBE_Alpha, "ByBundle", kSpringBoardFilter);
    install(PROBE_Beta, "ByExecutable",
            R"(<plist version="1.0"><dict><key>Filter</key><dict><key>Executables</key>
            <array><string>Preferences</string></array></dict></dict></plist>)");
    const auto results = substrate::loadTweaks("com.apple.Preferences", "Preferences");
    EXPECT_EQ(find(results, "ByBundle.so")->outcome, Outcome::NotForThisProcess);
    EXPECT_EQ(find(results, "ByExecutable.so")->outcome, Outcome::Loaded);
    EXPECT_EQ(loggedProbes(), (std::vector<std::string>{"Beta"}));
    // A process without a bundle identifier matches no Bundles entry, not even an empty one.
    install(PROBE_Other, "EmptyEntry",
            R"(<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key>
            <array><string></string></array></dict></dict></plist>)");
    EXPECT_EQ(find(substrate::loadTweaks("", "x"), "EmptyEntry.so")->outcome,
              Outcome::NotForThisProcess);
}

TEST_F(TweakLoader, BadTweaksAreSkippedWithOneLineEachAndLoadingGoesOn) {
    install(PROBE_Alpha, "A1-NoFilter", nullptr);
    install(PROBE_Alpha, "A2-NotAPlist", "this is not a property list");
    install(PROBE_Alpha, "A3-NoFilterKey", "<plist version=\"1.0\"><dict/></plist>");
    install(PROBE_Alpha, "A4-BundlesNotStrings",
            R"(<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key>
            <array><integer>3</integer></array></dict></dict></plist>)");
    install(PROBE_UNRESOLVED, "A5-Unresolved", kSpringBoardFilter);
    std::ofstream(dir_ + "/A6-Garbage.so") << "not a library";
    std::ofstream(dir_ + "/A6-Garbage.plist") << kSpringBoardFilter;
    install(PROBE_Alpha, "A7-FifoFilter", nullptr);
    ASSERT_EQ(::mkfifo((dir_ + "/A7-FifoFilter.plist").c_str(), 0600), 0);
    fs::create_directory(dir_ + "/A8-Directory.so");
    install(PROBE_Beta, "Z-Good", kSpringBoardFilter);

    testing::internal::CaptureStderr();
    const auto results = substrate::loadTweaks("com.apple.springboard", "SpringBoard");
    const std::string err = testing::internal::GetCapturedStderr();

    ASSERT_EQ(results.size(), 9u);
    for (std::size_t i = 0; i + 1 < results.size(); ++i) {
        EXPECT_EQ(results[i].outcome, Outcome::Skipped) << results[i].name;
        EXPECT_NE(err.find("skipping " + results[i].name + ": " + results[i].reason),
                  std::string::npos)
            << err;
    }
    EXPECT_NE(find(results, "A1-NoFilter.so")->reason.find("no filter"), std::string::npos);
    EXPECT_NE(find(results, "A2-NotAPlist.so")->reason.find("not a property list"),
              std::string::npos);
    EXPECT_NE(
        find(results, "A5-Unresolved.so")->reason.find("qv_probe_function_that_exists_nowhere"),
        std::string::npos);
    EXPECT_NE(find(results, "A7-FifoFilter.so")->reason.find("not a regular file"),
              std::string::npos);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 8);
    EXPECT_EQ(results.back().outcome, Outcome::Loaded);
    EXPECT_EQ(loggedProbes(), (std::vector<std::string>{"Beta"}));
}

TEST_F(TweakLoader, MissingFolderLoadsNothing) {
    fs::remove_all(dir_);
    EXPECT_TRUE(substrate::loadTweaks("com.apple.springboard", "SpringBoard").empty());
}

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include <gmock/gmock.h>

#include "tests/tweak/ClockFontTestFixture.h"
#include "tweak/LGClockFontCandidates.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

constexpr char kSuffix[] =
    "/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";
constexpr char kSimject[] =
    "/opt/simject/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";
constexpr char kRootful[] =
    "/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";

std::string derived(const std::string& directory) {
    return directory + kSuffix;
}

void touch(const std::string& hostPath) {
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
    writeFileText(hostPath, "x");
}

}  // namespace

using ClockFontCandidates = ClockFontTest;

TEST_F(ClockFontCandidates, LibraryInsideTheDeviceAddsItsAncestorsBeforeTheFixedPaths) {
    const std::string library =
        root.resolve("/var/jb/Library/MobileSubstrate/DynamicLibraries/Quorvane.dylib");
    touch(library);

    // "/var/jb" + suffix is also the fourth fixed path; it stays where the walk put it.
    EXPECT_THAT(
        LGClockFontCandidatesForLibrary(library),
        ElementsAre(kVelkFontPath, derived("/var/jb/Library/MobileSubstrate/DynamicLibraries"),
                    derived("/var/jb/Library/MobileSubstrate"), derived("/var/jb/Library"),
                    derived("/var/jb"), derived("/var"), kSimject, kRootful));
}

TEST_F(ClockFontCandidates, DerivedCandidateFindsTheBundleFontBeforeTheFixedList) {
    const std::string library =
        root.resolve("/var/jb/Library/MobileSubstrate/DynamicLibraries/Quorvane.dylib");
    touch(library);
    place(kBundleFontPath, clockFont());

    const auto candidates = LGClockFontCandidatesForLibrary(library);
    const auto found = LGClockFirstExistingFontPath(candidates);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, kBundleFontPath);
    const auto at = std::find(candidates.begin(), candidates.end(), *found);
    const auto simject = std::find(candidates.begin(), candidates.end(), kSimject);
    EXPECT_LT(at, simject) << "found by a derived candidate, not by the fixed list";
}

TEST_F(ClockFontCandidates, FirstFixedPathWinsOverTheBundleFont) {
    place(kBundleFontPath, clockFont());
    place(kVelkFontPath, noHeightFont());
    const std::string library =
        root.resolve("/var/jb/Library/MobileSubstrate/DynamicLibraries/Quorvane.dylib");
    touch(library);

    EXPECT_EQ(LGClockFirstExistingFontPath(LGClockFontCandidatesForLibrary(library)),
              kVelkFontPath);

    // The loader, which asks the dynamic loader where it lies, picks the same file.
    ASSERT_TRUE(LGClockVariableFont(80, 350));
    EXPECT_EQ(LGClockVariableFontPath(), kVelkFontPath);
    EXPECT_EQ(LGClockVariableFontPostScriptName(), "QVClockTestNoHeight-Regular");
}

TEST_F(ClockFontCandidates, WalkStopsAfterEightDirectoriesAndSkipsLibrariesOutsideTheDevice) {
    const std::string deep = root.resolve("/a/b/c/d/e/f/g/h/i/j/Quorvane.dylib");
    touch(deep);
    const auto candidates = LGClockFontCandidatesForLibrary(deep);
    EXPECT_THAT(candidates, ElementsAre(kVelkFontPath, derived("/a/b/c/d/e/f/g/h/i/j"),
                                        derived("/a/b/c/d/e/f/g/h/i"), derived("/a/b/c/d/e/f/g/h"),
                                        derived("/a/b/c/d/e/f/g"), derived("/a/b/c/d/e/f"),
                                        derived("/a/b/c/d/e"), derived("/a/b/c/d"),
                                        derived("/a/b/c"), kSimject, kBundleFontPath, kRootful));

    // A library at the top of the device walks nothing: "/" is too short a directory.
    const std::string top = root.resolve("/Quorvane.dylib");
    touch(top);
    EXPECT_THAT(LGClockFontCandidatesForLibrary(top),
                ElementsAre(kVelkFontPath, kSimject, kBundleFontPath, kRootful));

    // A library outside the device root names nothing on the phone.
    const std::string outside =
        std::filesystem::path(root.path()).parent_path().string() + "/Quorvane.dylib";
    EXPECT_THAT(LGClockFontCandidatesForLibrary(outside),
                ElementsAre(kVelkFontPath, kSimject, kBundleFontPath, kRootful));
    EXPECT_THAT(LGClockFontCandidatesForLibrary(""),
                ElementsAre(kVelkFontPath, kSimject, kBundleFontPath, kRootful));
}

TEST_F(ClockFontCandidates, SymbolicLinkAddsTheResolvedLocationAfterTheReportedOne) {
    const std::string real = root.resolve("/var/jb/usr/lib/Quorvane.dylib");
    touch(real);
    const std::string link =
        root.resolve("/var/jb/Library/MobileSubstrate/DynamicLibraries/Quorvane.dylib");
    std::filesystem::create_directories(std::filesystem::path(link).parent_path());
    std::filesystem::create_symlink(real, link);

    EXPECT_THAT(
        LGClockFontCandidatesForLibrary(link),
        ElementsAre(kVelkFontPath, derived("/var/jb/Library/MobileSubstrate/DynamicLibraries"),
                    derived("/var/jb/Library/MobileSubstrate"), derived("/var/jb/Library"),
                    derived("/var/jb"), derived("/var"), derived("/var/jb/usr/lib"),
                    derived("/var/jb/usr"), kSimject, kRootful));
}

// Regression (fault 13): a directory at an earlier candidate's path ended the search, so the font
// at a later candidate was never found.
TEST_F(ClockFontCandidates, DirectoryOrFifoAtAnEarlierCandidateDoesNotHideALaterFont) {
    std::filesystem::create_directories(root.resolve(kVelkFontPath));
    const std::string fifo = root.resolve(kSimject);
    std::filesystem::create_directories(std::filesystem::path(fifo).parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    place(kBundleFontPath, clockFont());

    EXPECT_EQ(LGClockFirstExistingFontPath(LGClockFontCandidatesForLibrary("")), kBundleFontPath);
    ASSERT_TRUE(LGClockVariableFont(80, 350));
    EXPECT_EQ(LGClockVariableFontPath(), kBundleFontPath);
    EXPECT_TRUE(fontLog().empty()) << "nothing was reported missing";
}

TEST_F(ClockFontCandidates, NothingFoundLogsTheWholeList) {
    EXPECT_FALSE(LGClockFirstExistingFontPath({"/x/one.otf", "/y/two.otf"}));
    EXPECT_THAT(fontLog(), ElementsAre("[Quorvane] clock variable font path not found "
                                       "candidates=(\"/x/one.otf\", \"/y/two.otf\")"));
}

// A library built from the loader, placed in the device the way the build installs the tweak,
// asks the dynamic loader for its own location.
TEST_F(ClockFontCandidates, LoadedLibraryDerivesCandidatesFromItsOwnLocation) {
    const std::string installed =
        root.resolve("/var/jb/Library/MobileSubstrate/DynamicLibraries/QuorvaneProbe.so");
    std::filesystem::create_directories(std::filesystem::path(installed).parent_path());
    std::filesystem::copy_file(QV_FONT_PROBE_LIBRARY, installed);

    void* handle = ::dlopen(installed.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    using Probe = const char* (*)();
    auto probe = reinterpret_cast<Probe>(::dlsym(handle, "qv_probe_font_candidates"));
    ASSERT_NE(probe, nullptr);

    std::vector<std::string> lines;
    std::istringstream in(probe());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    EXPECT_THAT(lines, ElementsAreArray(LGClockFontCandidatesForLibrary(installed)));
    EXPECT_EQ(lines.at(1), derived("/var/jb/Library/MobileSubstrate/DynamicLibraries"));
    ::dlclose(handle);
}

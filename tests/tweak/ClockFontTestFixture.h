#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/SupportTestFixture.h"
#include "tweak/LGClockVariableFont.h"
#include "tweak/detail/LGClockVariableFontTesting.h"

// The phone path the settings bundle's font has on a rootless device.
inline constexpr char kBundleFontPath[] =
    "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";
inline constexpr char kVelkFontPath[] = "/var/mobile/Velk/字体素材/velk42.otf";

// Each case starts as a fresh process: new device root, clean preference store and log, and a
// variable-font loader that has not looked for its font yet.
class ClockFontTest : public SupportTest {
  protected:
    ClockFontTest() {
        lg::detail::resetClockVariableFontForTesting();
        // The log file's folder, so that appending to it is not itself a failure to report.
        std::filesystem::create_directories(root.resolve("/tmp"));
    }
    ~ClockFontTest() override { lg::detail::resetClockVariableFontForTesting(); }

    // Copies a host file to a phone path under the test's device root.
    void place(const std::string& phonePath, const std::string& hostFile) {
        const std::filesystem::path target = root.resolve(phonePath);
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(hostFile, target,
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Stores the settings as the settings page would and lets the store see them.
    void setSettings(const base::PlistDictionary& entries) {
        storeDomain(entries);
        LGPrefsReload();
    }

    // The loader's own console lines.
    std::vector<std::string> fontLog() { return logLines("clock variable"); }

    // Console lines that contain `text`.
    std::vector<std::string> logLines(const std::string& text) {
        std::vector<std::string> found;
        for (const std::string& line : console()) {
            if (line.find(text) != std::string::npos) found.push_back(line);
        }
        return found;
    }

    static std::string clockFont() { return QV_CLOCK_FONT_FILE; }
    static std::string noHeightFont() { return QV_TEST_FONT_DIR "/ClockAxesNoHeight.ttf"; }
};

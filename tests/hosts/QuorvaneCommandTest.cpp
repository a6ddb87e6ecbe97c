// Runs the `quorvane` program as a user would: a real process on a fresh device root.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageFile.h"

namespace fs = std::filesystem;

namespace {

class QuorvaneCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvane-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    // The program's exit status; its output goes to a file beside the device root.
    int run(const std::string& arguments) {
        const std::string command = std::string(QUORVANE_BIN) + " --device-root " + root_ + " " +
                                    arguments + " >" + root_ + "/out.txt 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    graphics::ImageRef render(const std::string& name, const std::string& options) {
        const std::string path = root_ + "/" + name;
        EXPECT_EQ(run("glass --output " + path + " " + options), 0);
        std::string reason;
        auto image = graphics::readImageFile(path, &reason);
        EXPECT_NE(image, nullptr) << reason;
        return image;
    }

    std::string root_;
};

int differingPixels(const graphics::Image& a, const graphics::Image& b) {
    if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight()) return -1;
    int count = 0;
    for (int y = 0; y < a.pixelHeight(); ++y) {
        for (int x = 0; x < a.pixelWidth(); ++x) count += a.pixelAt(x, y) != b.pixelAt(x, y);
    }
    return count;
}

}  // namespace

TEST_F(QuorvaneCommand, GlassWritesAPictureThatFollowsTheFontAxesAndTheGlassSettings) {
    auto defaults = render("default.png", "");
    auto heavy = render("heavy.png", "--weight 1000");
    auto flat = render("flat.png", "--refraction-scale 0 --specular-opacity 0 --blur 0");
    ASSERT_TRUE(defaults && heavy && flat);
    EXPECT_GT(defaults->pixelWidth(), 100);
    EXPECT_GT(defaults->pixelHeight(), 100);
    // The whole screen each time (a crop would follow the glyphs' size). Thicker strokes and
    // flat glass each change a visible share of it.
    const int area = defaults->pixelWidth() * defaults->pixelHeight();
    EXPECT_GT(differingPixels(*defaults, *heavy), area / 200);
    EXPECT_GT(differingPixels(*defaults, *flat), area / 200);
}

TEST_F(QuorvaneCommand, BadInputIsAUsageErrorThatWritesNothing) {
    EXPECT_EQ(run("glass --blur"), 2);
    EXPECT_EQ(run("glass --index 0"), 2);
    EXPECT_EQ(run("glass --weight heavy"), 2);
    EXPECT_EQ(run("glass --no-such-option"), 2);
    EXPECT_EQ(run("no-such-command"), 2);
    EXPECT_FALSE(fs::exists(root_ + "/glass.png"));
    EXPECT_EQ(run("glass --wallpaper " + root_ + "/missing.png --output " + root_ + "/x.png"), 1);
    EXPECT_FALSE(fs::exists(root_ + "/x.png"));
    EXPECT_EQ(run("--version"), 0);
}

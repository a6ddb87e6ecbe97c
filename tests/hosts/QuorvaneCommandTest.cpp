// Runs the `quorvane` program as a user would: a real process on a fresh device root.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sys/stat.h>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <iterator>
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

    // The program's exit status; its output goes to a file beside the device root. A program
    // that hangs is stopped after two minutes and reads as status 124.
    int run(const std::string& arguments) {
        return runRaw("--device-root " + root_ + " " + arguments);
    }
    int runRaw(const std::string& arguments) {
        const std::string command = "timeout 120 " + std::string(QUORVANE_BIN) + " " + arguments +
                                    " >" + root_ + "/out.txt 2>" + root_ + "/err.txt";
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

    std::string out() const { return readText(root_ + "/out.txt"); }
    std::string err() const { return readText(root_ + "/err.txt"); }
    static std::string readText(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
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

// Regression (fault 8): out-of-range glass options drew no glass, a lopsided blob, or took over a
// minute and gigabytes. Each option has a stated range and is refused outside it, at once.
TEST_F(QuorvaneCommand, GlassOptionsOutsideTheirRangesAreRefused) {
    struct Case {
        std::string options;
        std::string says;
    };
    const Case cases[] = {
        {"--rounded-rect --corner-radius 1000",
         "--corner-radius must be from 0 to 68 on modern-phone"},
        {"--rounded-rect --corner-radius 100",
         "--corner-radius must be from 0 to 68 on modern-phone"},
        {"--bezel-width 5000", "--bezel-width must be from 0 to 50, got 5000"},
        {"--blur -1", "--blur must be from 0 to 50"},
        {"--index 0", "--index must be above 0 to 5"},
        {"--weight 2000", "--weight must be from 100 to 1000"},
        {"--text " + std::string(101, '8'), "--text must be valid UTF-8 text of at most 100 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.substr(0, 40));
        EXPECT_EQ(run("glass -o " + root_ + "/x.png " + c.options), 2);
        EXPECT_NE(err().find(c.says), std::string::npos) << err();
        EXPECT_TRUE(err().ends_with("\n"));
    }
    EXPECT_FALSE(fs::exists(root_ + "/x.png"));
}

// Regression (fault 7): a --font that could not be used fell back to another font, and a cut-off
// JPEG wallpaper rendered with its lower part grey; both reported success.
TEST_F(QuorvaneCommand, UnusableFontOrDamagedWallpaperIsAnError) {
    fs::create_directories(root_ + "/fonts/folder.otf");
    std::ofstream(root_ + "/fonts/text.otf") << "not a font at all";
    for (const std::string& font :
         {root_ + "/fonts/missing.otf", root_ + "/fonts/folder.otf", root_ + "/fonts/text.otf"}) {
        SCOPED_TRACE(font);
        EXPECT_EQ(run("glass -o " + root_ + "/x.png --font " + font), 1);
        EXPECT_NE(err().find("--font: "), std::string::npos) << err();
        EXPECT_NE(err().find(font), std::string::npos) << err();
    }

    // A good JPEG, cut off halfway through its scan data.
    const std::string good = std::string(QV_SOURCE_DIR) + "/fuzz/corpus/image_decode/baseline.jpg";
    ASSERT_TRUE(graphics::readImageFile(good));
    const std::string jpeg = readText(good);
    const std::size_t scan = jpeg.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    std::ofstream(root_ + "/cut.jpg", std::ios::binary)
        << jpeg.substr(0, scan + (jpeg.size() - scan) / 2);
    EXPECT_EQ(run("glass -o " + root_ + "/x.png --wallpaper " + root_ + "/cut.jpg"), 1);
    EXPECT_NE(err().find("truncated or damaged"), std::string::npos) << err();
    EXPECT_FALSE(fs::exists(root_ + "/x.png"));
}

// Regression (faults 1 and 5): a FIFO given as the wallpaper hung the program, and an output path
// holding a FIFO, a symbolic link or a device was replaced by a PNG file.
TEST_F(QuorvaneCommand, FifosLinksAndDevicesAreNeverWaitedOnOrReplaced) {
    const std::string fifo = root_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(run("glass -o " + root_ + "/x.png --wallpaper " + fifo), 1);
    EXPECT_NE(err().find("not a regular file (a FIFO)"), std::string::npos) << err();

    std::ofstream(root_ + "/mine.txt") << "keep";
    fs::create_symlink(root_ + "/mine.txt", root_ + "/link.png");
    for (const std::string& output : {fifo, root_ + "/link.png", std::string("/dev/null")}) {
        SCOPED_TRACE(output);
        EXPECT_EQ(run("glass --output " + output), 1);
        EXPECT_NE(err().find("refusing to replace " + output), std::string::npos) << err();
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(root_ + "/link.png")));
    EXPECT_EQ(readText(root_ + "/mine.txt"), "keep");
    EXPECT_TRUE(fs::is_character_file(fs::status("/dev/null")));
}

// Regressions (faults 6 and 10): an empty --device-root quietly used a fallback folder, and a new
// device root had no tmp/ for the log. Also the habits every command shares.
TEST_F(QuorvaneCommand, DeviceRootIsCheckedAndLaidOutAndEveryCommandHasHelpAndVersion) {
    EXPECT_EQ(runRaw("--device-root '' defaults read com.x"), 2);
    EXPECT_TRUE(err().ends_with("quorvane: --device-root needs a folder\n")) << err();
    EXPECT_EQ(runRaw("--device-root"), 2);

    const std::string fresh = root_ + "/fresh";
    EXPECT_EQ(runRaw("--device-root " + fresh + " defaults read com.x"), 1);
    EXPECT_TRUE(fs::is_directory(fresh + "/tmp"));
    EXPECT_TRUE(fs::is_directory(fresh + "/var/mobile/Library/Preferences"));

    for (const std::string command : {"", "glass ", "defaults "}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(run(command + "--version"), 0);
        EXPECT_TRUE(out().starts_with("quorvane ")) << out();
        EXPECT_EQ(run(command + "--help"), 0);
        EXPECT_TRUE(out().starts_with("usage: quorvane")) << out();
        EXPECT_TRUE(out().ends_with("\n"));
    }
    // The usage comes first and the line that says what was wrong comes last.
    EXPECT_EQ(run("no-such-command"), 2);
    EXPECT_TRUE(err().starts_with("usage: quorvane")) << err();
    EXPECT_TRUE(err().ends_with("quorvane: unknown command 'no-such-command'\n")) << err();
}

TEST_F(QuorvaneCommand, ShortOutputOptionWritesThePicture) {
    EXPECT_EQ(run("glass --rounded-rect --crop -o " + root_ + "/short.png"), 0) << err();
    EXPECT_TRUE(graphics::readImageFile(root_ + "/short.png"));
}

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/base/RegularFile.h"

using base::readRegularFile;
using base::RegularFileError;

namespace {

class RegularFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvane-regular-file-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string dir;
};

}  // namespace

// Regression (fault 1): a FIFO where a file was expected blocked the reader until a writer came,
// which was never. Everything that is not a regular file is refused at once, and says what it is.
TEST_F(RegularFile, FifoDirectoryAndDeviceAreRefusedWithoutBlocking) {
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* says;
    };
    for (const Case& c : {Case{fifo, ": not a regular file (a FIFO)"}, Case{dir, "directory"},
                          Case{"/dev/null", ": not a regular file (a character device)"}}) {
        RegularFileError error;
        EXPECT_FALSE(readRegularFile(c.path, 1024, &error)) << c.path;
        EXPECT_EQ(error.kind, RegularFileError::Kind::NotRegular) << c.path;
        EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
        EXPECT_NE(error.message.find(c.path), std::string::npos) << error.message;
    }
}

TEST_F(RegularFile, ReadsWholeFilesWithinTheLimitAndNamesEveryFailure) {
    const std::string file = dir + "/data";
    std::ofstream(file) << "twelve bytes";
    EXPECT_EQ(readRegularFile(file, 12), "twelve bytes");
    const std::string link = dir + "/link";
    std::filesystem::create_symlink(file, link);
    EXPECT_EQ(readRegularFile(link, 12), "twelve bytes") << "links are followed";

    RegularFileError error;
    EXPECT_FALSE(readRegularFile(file, 11, &error));
    EXPECT_EQ(error.kind, RegularFileError::Kind::TooLarge);
    EXPECT_NE(error.message.find("too large"), std::string::npos);

    EXPECT_FALSE(readRegularFile(dir + "/missing", 100, &error));
    EXPECT_EQ(error.kind, RegularFileError::Kind::Missing);
    EXPECT_FALSE(readRegularFile(file + "/below-a-file", 100, &error));
    EXPECT_EQ(error.kind, RegularFileError::Kind::Missing);
    EXPECT_FALSE(readRegularFile("", 100, &error));

    std::ofstream(dir + "/empty").flush();
    EXPECT_EQ(readRegularFile(dir + "/empty", 0), "");
    EXPECT_TRUE(base::isRegularFile(link));
    EXPECT_FALSE(base::isRegularFile(dir));
}

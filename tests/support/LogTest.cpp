#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "platform/dispatch/Queue.h"
#include "tests/platform/prefs/ChildProcess.h"
#include "tests/support/SupportTestFixture.h"

using base::PlistValue;

namespace {

class Log : public SupportTest {
  protected:
    std::string logFile = root.resolve("/tmp/Quorvane.log");

    // Waits for the queued appends and closes the file, as the exit handler would.
    void drain() { lg::detail::resetLogForTesting(); }

    void makeTmp() { std::filesystem::create_directories(root.resolve("/tmp")); }
};

struct NamedObject {
    std::string className() const { return "UILabel"; }
};

struct Expensive {
    int* calls;
    std::string description() const {
        ++*calls;
        return "expensive";
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

TEST_F(Log, MessageGoesToConsoleAndCreatesTheFileWithExactlyThatLine) {
    makeTmp();
    LGLog("bezel %@ fps %d %s", PlistValue::real(24.5), 30, "ok");
    EXPECT_EQ(console(), (std::vector<std::string>{"[Quorvane] bezel 24.5 fps 30 ok"}));
    drain();
    EXPECT_EQ(readFileText(logFile), "[Quorvane] bezel 24.5 fps 30 ok\n");

    // Appended, never truncated, across handles.
    LGLog("second");
    drain();
    EXPECT_EQ(readFileText(logFile), "[Quorvane] bezel 24.5 fps 30 ok\n[Quorvane] second\n");
}

TEST_F(Log, UnwritablePathReportsEachFailureOnTheConsoleOnly) {
    // "/tmp" is a file, so nothing can be created under it.
    writeFileText(root.resolve("/tmp"), "not a folder");
    LGLog("first");
    drain();
    LGLog("second");
    drain();
    EXPECT_EQ(console(), (std::vector<std::string>{
                             "[Quorvane] first",
                             "[Quorvane] log file create failed Not a directory",
                             "[Quorvane] second",
                             "[Quorvane] log file create failed Not a directory",
                         }));
}

TEST_F(Log, NeverFollowsASymbolicLinkAtTheLogPath) {
    makeTmp();
    std::string victim = root.resolve("/victim");
    writeFileText(victim, "precious\n");
    std::filesystem::create_symlink(victim, logFile);
    LGLog("attack");
    drain();
    EXPECT_EQ(readFileText(victim), "precious\n");
    ASSERT_EQ(console().size(), 2u);
    EXPECT_EQ(console()[1],
              "[Quorvane] log file open failed " + logFile + " (symbolic link refused)");

    // A dangling link does not make the logger create its target either.
    std::filesystem::remove(logFile);
    std::string missing = root.resolve("/created-through-link");
    std::filesystem::create_symlink(missing, logFile);
    LGLog("attack again");
    drain();
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(Log, AppendsOnlyToARegularFileOfItsOwnUser) {
    makeTmp();
    // A FIFO must neither be written nor hang the log queue.
    ASSERT_EQ(::mkfifo(logFile.c_str(), 0600), 0);
    LGLog("into a fifo");
    drain();
    ASSERT_EQ(console().size(), 2u);
    EXPECT_EQ(console()[1], "[Quorvane] log file open failed " + logFile +
                                " (not a regular file owned by this user)");
    std::filesystem::remove(logFile);

    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file to another user";
    writeFileText(logFile, "theirs\n");
    ASSERT_EQ(::chown(logFile.c_str(), 65534, 65534), 0);
    LGLog("into their file");
    drain();
    EXPECT_EQ(readFileText(logFile), "theirs\n");
    EXPECT_EQ(console().back(), "[Quorvane] log file open failed " + logFile +
                                    " (not a regular file owned by this user)");
}

TEST_F(Log, FileDeletedBetweenMessagesIsRecreatedAndReceivesTheNextLine) {
    makeTmp();
    LGLog("before");
    lg::detail::existingLogQueue()->sync([] {});  // the handle stays open
    std::filesystem::remove(logFile);
    LGLog("after");
    drain();
    EXPECT_EQ(readFileText(logFile), "[Quorvane] after\n");
}

TEST_F(Log, ExitHandlerWritesEveryLineQueuedBeforeExitAndProcessesInterleaveByLine) {
    makeTmp();
    constexpr int kLines = 400;
    ChildProcess a({QV_SUPPORT_HELPER, "log", root.path(), std::to_string(kLines), "a"});
    ChildProcess b({QV_SUPPORT_HELPER, "log", root.path(), std::to_string(kLines), "b"});
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);

    auto written = lines(readFileText(logFile));
    ASSERT_EQ(written.size(), size_t(2 * kLines));
    std::set<std::string> seen(written.begin(), written.end());
    for (int i = 0; i < kLines; ++i) {
        EXPECT_TRUE(seen.count("[Quorvane] a " + std::to_string(i))) << "a " << i;
        EXPECT_TRUE(seen.count("[Quorvane] b " + std::to_string(i))) << "b " << i;
    }
}

TEST_F(Log, TraceFormatsNothingAndWritesNothing) {
    makeTmp();
    int calls = 0;
    LGTrace("Quorvane loaded in %@", Expensive{&calls});
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(console().empty());
    LGLog("Quorvane loaded in %@", Expensive{&calls});
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(console().back(), "[Quorvane] Quorvane loaded in expensive");
}

TEST(LogFormat, DirectivesFollowPrintfAndMismatchesStaySafe) {
    EXPECT_EQ(LGFormat("%5.2f|%-4d|%03x|%c|%%", 3.14159, 7, 255, 'q'), " 3.14|7   |0ff|q|%");
    EXPECT_EQ(LGFormat("%lld %zu %lu", int64_t(-5), size_t(9), 10ul), "-5 9 10");
    EXPECT_EQ(LGFormat("%@ and %@", std::string("text"), PlistValue::integer(4)), "text and 4");
    EXPECT_EQ(LGFormat("%*d|%.*s", 4, 2, 3, "abcdef"), "   2|abc");
    // A directive given the wrong kind converts instead of reading garbage.
    EXPECT_EQ(LGFormat("%d %s %f", "text", 12, 3), "0 12 3.000000");
    EXPECT_EQ(LGFormat("%d %@"), "0 (null)");
    EXPECT_EQ(LGFormat("%n%s", 1, "still here"), "still here");
    EXPECT_EQ(LGFormat("%@", base::PlistPtr()), "(null)");
    auto label = std::make_shared<NamedObject>();
    EXPECT_EQ(LGFormat("%@", label),
              LGFormat("<UILabel: %p>", static_cast<const void*>(label.get())));
    EXPECT_EQ(LGFormat("%d", 1e300), "9223372036854775807");
    EXPECT_EQ(LGFormat("trailing %"), "trailing %");
    EXPECT_EQ(LGFormat("%99999999d", 1).size(), 4096u) << "field widths are capped";
}

TEST(MainThreadAssertion, PassesOnMainAndStopsTheProcessElsewhere) {
    LGAssertMainThread();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(std::thread([] { LGAssertMainThread(); }).join(), "Quorvane main thread only");
}

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "platform/notify/DarwinNotifyCenter.h"
#include "tests/platform/prefs/ChildProcess.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

using notify::DarwinNotifyCenter;

namespace {

// Counts deliveries per name and lets the test wait for one.
class Deliveries {
  public:
    DarwinNotifyCenter::Callback recorder() {
        return [this](const std::string& name) {
            std::lock_guard lock(mutex_);
            ++counts_[name];
            threads_[name] = std::this_thread::get_id();
            changed_.notify_all();
        };
    }
    bool waitFor(const std::string& name, int count = 1) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20),
                                 [&] { return counts_[name] >= count; });
    }
    int count(const std::string& name) {
        std::lock_guard lock(mutex_);
        return counts_[name];
    }
    std::thread::id thread(const std::string& name) {
        std::lock_guard lock(mutex_);
        return threads_[name];
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, int> counts_;
    std::map<std::string, std::thread::id> threads_;
};

// The helper prints "posted" from its main thread and "got" from its delivery thread, in either
// order.
std::set<std::string> nextTwoLines(ChildProcess& child) {
    std::set<std::string> lines;
    for (int i = 0; i < 2; ++i) lines.insert(child.readLine().value_or("(nothing)"));
    return lines;
}

class DarwinNotifyCenterTest : public ::testing::Test {
  protected:
    TestDeviceRoot root;
    std::string registry = DarwinNotifyCenter::registryDirectoryFor(root.path(), ::geteuid());

    size_t entryCount() {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(registry)) {
            n += e.path().extension() == ".fifo";
        }
        return n;
    }
};

}  // namespace

TEST_F(DarwinNotifyCenterTest, PostReachesEveryObservingProcessIncludingThePoster) {
    ChildProcess child({QV_NOTIFY_HELPER, root.path(), "com.velk.quorvane/ReloadPrefs"});
    ASSERT_EQ(child.readLine(), "ready");

    DarwinNotifyCenter center(registry);
    Deliveries got;
    ASSERT_NE(center.addObserver("com.velk.quorvane/ReloadPrefs", got.recorder()), 0u);
    ASSERT_TRUE(center.post("com.velk.quorvane/ReloadPrefs"));
    EXPECT_EQ(child.readLine(), "got com.velk.quorvane/ReloadPrefs");
    ASSERT_TRUE(got.waitFor("com.velk.quorvane/ReloadPrefs"));
    EXPECT_NE(got.thread("com.velk.quorvane/ReloadPrefs"), std::this_thread::get_id())
        << "callbacks run on the delivery thread";

    // And the other way round; a name nobody here observes is not delivered here.
    child.send("post com.velk.quorvane/ReloadPrefs\npost unobserved\n");
    ASSERT_TRUE(got.waitFor("com.velk.quorvane/ReloadPrefs", 2));
    EXPECT_EQ(got.count("unobserved"), 0);
}

TEST_F(DarwinNotifyCenterTest, AnotherDeviceRootNeverHearsAPost) {
    TestDeviceRoot otherRoot;
    DarwinNotifyCenter here(registry);
    DarwinNotifyCenter elsewhere(
        DarwinNotifyCenter::registryDirectoryFor(otherRoot.path(), ::geteuid()));
    Deliveries got;
    here.addObserver("name", got.recorder());
    here.addObserver("control", got.recorder());

    ASSERT_TRUE(elsewhere.post("name"));
    // Posts from one poster arrive in order: once the later control post is in, an earlier
    // leak would have been delivered too.
    ASSERT_TRUE(here.post("control"));
    ASSERT_TRUE(got.waitFor("control"));
    EXPECT_EQ(got.count("name"), 0);
}

TEST_F(DarwinNotifyCenterTest, AnotherUserNeverHearsAPostInEitherDirection) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a helper as another user";
    // The other user must be able to reach its own folder under the root.
    std::filesystem::permissions(root.path(), std::filesystem::perms(0755));

    DarwinNotifyCenter center(registry);
    Deliveries got;
    center.addObserver("name", got.recorder());
    center.addObserver("control", got.recorder());

    ChildProcess other({QV_NOTIFY_HELPER, "--uid", "65534", root.path(), "name", "control"});
    ASSERT_EQ(other.readLine(), "ready");

    // Ours to theirs: their own control post lands after anything ours could have sent.
    ASSERT_TRUE(center.post("name"));
    ASSERT_TRUE(got.waitFor("name")) << "our own post reaches us";
    other.send("post control\n");
    EXPECT_EQ(nextTwoLines(other), (std::set<std::string>{"posted ok", "got control"}));

    // Theirs to ours.
    other.send("post name\n");
    EXPECT_EQ(nextTwoLines(other), (std::set<std::string>{"posted ok", "got name"}));
    ASSERT_TRUE(center.post("control"));
    ASSERT_TRUE(got.waitFor("control"));
    EXPECT_EQ(got.count("name"), 1);
}

TEST_F(DarwinNotifyCenterTest, EntryOfAKilledProcessIsRemovedByTheNextPost) {
    DarwinNotifyCenter poster(registry);
    {
        ChildProcess child({QV_NOTIFY_HELPER, root.path(), "name"});
        ASSERT_EQ(child.readLine(), "ready");
        EXPECT_EQ(entryCount(), 1u);
        child.signal(SIGKILL);
        child.wait();
    }
    EXPECT_EQ(entryCount(), 1u) << "a killed process cannot clean up after itself";
    ASSERT_TRUE(poster.post("name"));
    EXPECT_EQ(entryCount(), 0u);

    // A process that ends normally removes its own entry.
    ChildProcess child({QV_NOTIFY_HELPER, root.path(), "name"});
    ASSERT_EQ(child.readLine(), "ready");
    child.send("quit\n");
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(entryCount(), 0u);
}

TEST_F(DarwinNotifyCenterTest, AStoppedReceiverNeverBlocksPostersOrOtherReceivers) {
    ChildProcess stopped({QV_NOTIFY_HELPER, root.path(), "flood", "after"});
    ASSERT_EQ(stopped.readLine(), "ready");
    // Stopped before the first post, so everything below piles up unread.
    ASSERT_TRUE(stopped.stop());

    DarwinNotifyCenter center(registry);
    Deliveries got;
    center.addObserver("flood", got.recorder());
    center.addObserver("control", got.recorder());
    // Far more than a FIFO holds: the stopped receiver's fills up, and each post must still
    // return at once.
    for (int i = 0; i < 15000; ++i) ASSERT_TRUE(center.post("flood"));
    ASSERT_TRUE(center.post("control"));
    ASSERT_TRUE(got.waitFor("control"));
    EXPECT_GE(got.count("flood"), 1);

    // Once it runs again it drains its FIFO in one batch, coalesced to one delivery, and then
    // receives new posts again.
    stopped.signal(SIGCONT);
    ASSERT_EQ(stopped.readLine(), "got flood");
    ASSERT_TRUE(center.post("after"));
    EXPECT_EQ(stopped.readLine(), "got after");
}

TEST_F(DarwinNotifyCenterTest, RemovedObserverIsNotCalledAndNamesAreValidated) {
    DarwinNotifyCenter center(registry);
    Deliveries got;
    auto token = center.addObserver("name", got.recorder());
    center.addObserver("control", got.recorder());
    center.removeObserver(token);
    center.post("name");
    center.post("control");
    ASSERT_TRUE(got.waitFor("control"));
    EXPECT_EQ(got.count("name"), 0);

    EXPECT_EQ(center.addObserver("", got.recorder()), 0u);
    EXPECT_EQ(center.addObserver("two\nlines", got.recorder()), 0u);
    EXPECT_EQ(center.addObserver("name", nullptr), 0u);
    EXPECT_FALSE(center.post(""));
    EXPECT_FALSE(center.post(std::string(DarwinNotifyCenter::kMaxNameLength + 1, 'x')));
    EXPECT_TRUE(center.post(std::string(DarwinNotifyCenter::kMaxNameLength, 'x')));
}

TEST_F(DarwinNotifyCenterTest, RefusesARegistryFolderOthersCanEnterOrOwn) {
    std::filesystem::create_directories(registry);
    std::filesystem::permissions(registry, std::filesystem::perms(0777));
    DarwinNotifyCenter center(registry);
    Deliveries got;
    EXPECT_EQ(center.addObserver("name", got.recorder()), 0u);
    EXPECT_FALSE(center.post("name"));

    if (::geteuid() == 0) {
        std::filesystem::permissions(registry, std::filesystem::perms(0700));
        ASSERT_EQ(::chown(registry.c_str(), 65534, 65534), 0);
        EXPECT_EQ(center.addObserver("name", got.recorder()), 0u);
        EXPECT_FALSE(center.post("name"));
    }
}

TEST_F(DarwinNotifyCenterTest, SharedCentreFollowsTheDeviceRootAndUser) {
    auto& shared = DarwinNotifyCenter::shared();
    EXPECT_EQ(shared.registryDirectory(), registry);
    TestDeviceRoot other;
    EXPECT_NE(DarwinNotifyCenter::shared().registryDirectory(), registry);
}

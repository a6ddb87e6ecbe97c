#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/notify/NotificationCenter.h"

using notify::Notification;
using notify::NotificationCenter;

TEST(NotificationCenter, PostRunsMatchingBlocksSynchronouslyInRegistrationOrder) {
    NotificationCenter center;
    std::vector<std::string> calls;
    int sender = 0, otherSender = 0;
    center.addObserver("LGPrefsUIRefreshNotification", nullptr, nullptr,
                       [&](const Notification& n) { calls.push_back("first " + n.name); });
    center.addObserver("", nullptr, nullptr,
                       [&](const Notification& n) { calls.push_back("any " + n.name); });
    center.addObserver("LGPrefsUIRefreshNotification", &sender, nullptr,
                       [&](const Notification&) { calls.push_back("from sender"); });
    center.addObserver("other", nullptr, nullptr,
                       [&](const Notification&) { calls.push_back("other"); });

    center.post("LGPrefsUIRefreshNotification");
    EXPECT_EQ(calls, (std::vector<std::string>{"first LGPrefsUIRefreshNotification",
                                               "any LGPrefsUIRefreshNotification"}));
    calls.clear();
    center.post("LGPrefsUIRefreshNotification", std::shared_ptr<void>(&otherSender, [](void*) {}));
    EXPECT_EQ(calls.size(), 2u) << "an observer of one sender ignores another";
    calls.clear();
    auto userInfo = base::PlistValue::dictionary({{"k", base::PlistValue::integer(1)}});
    std::shared_ptr<void> object(&sender, [](void*) {});
    std::shared_ptr<void> seen;
    center.addObserver("LGPrefsUIRefreshNotification", &sender, nullptr,
                       [&](const Notification& n) {
                           seen = n.object;
                           EXPECT_EQ(n.userInfo, userInfo);
                       });
    center.post("LGPrefsUIRefreshNotification", object, userInfo);
    EXPECT_EQ(calls.back(), "from sender");
    EXPECT_EQ(seen, object);
}

TEST(NotificationCenter, MainQueueObserverRunsInlineOnMainAndIsQueuedFromOtherThreads) {
    ASSERT_TRUE(dispatch::isMainThread());
    NotificationCenter center;
    int calls = 0;
    bool ranOnMain = false;
    center.addObserver("com.velk.quorvane.InProcessReload", nullptr, dispatch::Queue::main(),
                       [&](const Notification&) {
                           ++calls;
                           ranOnMain = dispatch::isMainThread();
                       });

    center.post("com.velk.quorvane.InProcessReload");
    EXPECT_EQ(calls, 1) << "posted on the main thread: delivered before post returns";

    // From another thread the post returns without waiting for the main thread...
    std::thread([&] { center.post("com.velk.quorvane.InProcessReload"); }).join();
    EXPECT_EQ(calls, 1);
    // ...and the block runs on the main thread's next turn.
    ranOnMain = false;
    dispatch::RunLoop::main().runOnce();
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(ranOnMain);
}

TEST(NotificationCenter, RemovalAndReentrantPostsAndRegistrations) {
    NotificationCenter center;
    int outer = 0, inner = 0, late = 0;
    NotificationCenter::Token innerToken = 0;
    center.addObserver("outer", nullptr, nullptr, [&](const Notification&) {
        ++outer;
        center.post("inner");  // no deadlock
        if (outer == 1) center.addObserver("outer", nullptr, nullptr, [&](auto&) { ++late; });
    });
    innerToken =
        center.addObserver("inner", nullptr, nullptr, [&](const Notification&) { ++inner; });

    center.post("outer");
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(late, 0) << "an observer added during a post sees the next post";

    center.removeObserver(innerToken);
    center.post("outer");
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(late, 1);
    EXPECT_EQ(center.addObserver("x", nullptr, nullptr, nullptr), 0u);
}

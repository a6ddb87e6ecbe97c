#include "support/LGWindows.h"

#include <gtest/gtest.h>

#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

TEST(LGAllWindows, ListsWindowScenesInConnectionOrderAndSkipsOtherScenes) {
    auto app = std::make_shared<ui::Application>();
    auto first = ui::WindowScene::create(nullptr, "first");
    auto plain = std::make_shared<ui::Scene>("not-a-window-scene");
    auto second = ui::WindowScene::create(nullptr, "second");
    app->connectScene(first);
    app->connectScene(plain);
    app->connectScene(second);

    // Created out of scene order, so a result in creation order would fail.
    auto b1 = ui::Window::create(second);
    auto a1 = ui::Window::create(first);
    auto b2 = ui::Window::create(second);
    auto a2 = ui::Window::create(first);

    const auto windows = LGAllWindows(app);
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[0], a1);
    EXPECT_EQ(windows[1], a2);
    EXPECT_EQ(windows[2], b1);
    EXPECT_EQ(windows[3], b2);

    EXPECT_TRUE(LGAllWindows(nullptr).empty());
}

#include <gtest/gtest.h>

#include "ChromeTestFixture.h"
#include "platform/ui/Application.h"
#include "settings/chrome/LGPageChrome.h"

using LinksTest = ChromeTest;

TEST_F(LinksTest, OpensURLsWithEmptyOptionsAndRefusesTextThatIsNoURL) {
    auto& app = *ui::Application::shared();
    const std::size_t before = app.requestedURLs().size();

    for (const char* url : {kLGPackageRepositoryURL, kLGChatChannelURL, kLGChatGroupURL}) {
        EXPECT_EQ(std::string_view(url).substr(0, 8), "https://") << url;
        EXPECT_TRUE(LGOpenURLString(url)) << url;
    }
    EXPECT_TRUE(LGOpenURLString("mailto:velk@velk.example?subject=Hi%20there"));
    ASSERT_EQ(app.requestedURLs().size(), before + 4);
    EXPECT_EQ(app.requestedURLs()[before], kLGPackageRepositoryURL);
    EXPECT_TRUE(app.requestedURLOptions().back().empty());

    for (const char* text :
         {"", "velk.example/repo", "://velk.example", "1http://velk.example",
          "https://velk example", "https://velk.example/%zz", "https://velk.example/%4",
          "https://velk.example/\"q\"", "https://velk.example/页面", "ht tp://velk.example"}) {
        EXPECT_FALSE(LGOpenURLString(text)) << text;
    }
    EXPECT_EQ(app.requestedURLs().size(), before + 4) << "nothing more was asked to open";
}

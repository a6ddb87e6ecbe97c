#include <gtest/gtest.h>

#include "ChromeTestFixture.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/SymbolImage.h"
#include "settings/chrome/LGPageChrome.h"

using NavigationChromeTest = ChromeTest;

TEST_F(NavigationChromeTest, TransparentBarForEveryAppearance) {
    const auto item = ui::NavigationItem::create("页面");
    LGApplyTransparentNavigationBar(*item);
    for (const auto* appearance :
         {&item->standardAppearance(), &item->scrollEdgeAppearance(), &item->compactAppearance(),
          &item->compactScrollEdgeAppearance()}) {
        ASSERT_TRUE(appearance->has_value());
        EXPECT_FALSE((*appearance)->backgroundEffect.has_value()) << "no blur material";
        EXPECT_TRUE((*appearance)->backgroundColor.isClear());
        EXPECT_TRUE((*appearance)->shadowColor.isClear()) << "no hairline";
    }
    // Applying again (as every viewWillAppear: does) leaves the same look.
    LGApplyTransparentNavigationBar(*item);
    EXPECT_TRUE(item->standardAppearance()->backgroundColor.isClear());
}

TEST_F(NavigationChromeTest, CustomBackButtonReplacesTheSystemOneAndReachesThePageWeakly) {
    auto root = std::make_shared<ui::ViewController>();
    root->setTitle("根");
    auto nav = ui::NavigationController::create(root);
    window->setRootViewController(nav);
    auto page = std::make_shared<CountingPage>();
    LGInstallCustomBackButton(*page->navigationItem(), page, CountingPage::kBack.selector());
    nav->pushViewController(page, false);
    runUntilSeconds(0.1);

    const auto& item = page->navigationItem();
    EXPECT_TRUE(item->hidesBackButton());
    const auto back = item->leftBarButtonItem();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->style(), ui::BarButtonItemStyle::Plain);
    ASSERT_TRUE(back->image());
    EXPECT_TRUE(ui::isTemplateImage(back->image()));
    EXPECT_EQ(back->image()->size(), ui::systemImage("chevron.left")->size());

    const auto& bar = nav->navigationBar();
    EXPECT_FALSE(bar->backButton()) << "the system's back button is hidden";
    ASSERT_EQ(bar->leftButtons().size(), 1u);
    ASSERT_TRUE(tap(*bar->leftButtons()[0]));
    runUntilSeconds(0.2);
    EXPECT_EQ(page->backs, 1);

    // The item does not keep the page alive: once the page is gone a tap does nothing.
    const std::weak_ptr<CountingPage> gone = page;
    nav->popViewControllerAnimated(false);
    page.reset();
    EXPECT_TRUE(gone.expired());
    EXPECT_FALSE(back->performTap());
}

TEST_F(NavigationChromeTest, ResetButtonFallsBackToItsStandardTitle) {
    auto page = std::make_shared<CountingPage>();
    const auto plain = LGResetBarButtonItem("", page, CountingPage::kReset.selector());
    EXPECT_EQ(plain->title(), "重置");
    EXPECT_EQ(plain->style(), ui::BarButtonItemStyle::Plain);
    EXPECT_EQ(LGResetBarButtonItem("还原", page, CountingPage::kReset.selector())->title(), "还原");
    EXPECT_TRUE(plain->performTap());
    EXPECT_EQ(page->resets, 1);
}

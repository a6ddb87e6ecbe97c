#include <gtest/gtest.h>

#include <cmath>

#include "ChromeTestFixture.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/VisualEffectView.h"
#include "settings/chrome/LGPageChrome.h"
#include "settings/chrome/detail/LGResetConfirmationView.h"

namespace {

// The reset card's overlay on the page, or nullptr.
std::shared_ptr<LGResetConfirmationView> overlayOf(ui::ViewController& page) {
    auto view =
        page.viewIfLoaded() ? page.viewIfLoaded()->viewWithTag(kLGResetConfirmationTag) : nullptr;
    return std::dynamic_pointer_cast<LGResetConfirmationView>(view);
}

int overlayCount(ui::ViewController& page) {
    int count = 0;
    for (const auto& v : page.view()->subviews()) count += v->tag() == kLGResetConfirmationTag;
    return count;
}

// The opacity shown now: the running animation's, else the model's.
float shownOpacity(const ui::View& view) {
    const auto shown = view.layer()->presentationLayer();
    return shown ? shown->opacity() : view.layer()->opacity();
}

double scaleOf(const ui::View& view) {
    return view.transform().a;
}

}  // namespace

class ResetConfirmationTest : public ChromeTest {
  protected:
    ResetConfirmationTest() {
        // Two settings of the page and the master switch, as the page would have written them.
        LGPrefsSetValue("Quorvane.Clock.Blur", base::PlistValue::real(9));
        LGPrefsSetValue("Quorvane.Clock.FPS", base::PlistValue::integer(60));
        LGPrefsSetValue(kLGPrefsEnabledKey, base::PlistValue::boolean(false));
        LGPrefsPublishNow();
    }

    static bool stored(const char* key) { return LGPrefsDirectValue(key, nullptr) != nullptr; }

    const runtime::SEL reset = CountingPage::kReset.selector();
};

TEST_F(ResetConfirmationTest, CardLaysOutCentredAndAnimatesIn) {
    auto page = showPage();
    LGPresentResetConfirmation(page, "", reset);
    const auto overlay = overlayOf(*page);
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->superview(), page->view());
    EXPECT_EQ(overlay->frame(), page->view()->bounds());
    EXPECT_EQ(overlay->alpha(), 1.0) << "the model value; the layer animates towards it";
    EXPECT_EQ(scaleOf(*overlay->card()), 1.0);
    EXPECT_EQ(overlay->subviews().front(), overlay->backgroundControl()) << "behind the card";

    // Half-way through the 0.22 s the layer is still on its way.
    runUntilSeconds(0.11);
    ASSERT_TRUE(overlay->layer()->hasRunningAnimations());
    const float opacityMidway = shownOpacity(*overlay);
    EXPECT_GT(opacityMidway, 0.05f);
    EXPECT_LT(opacityMidway, 0.95f);
    runUntilSeconds(0.3);
    EXPECT_EQ(shownOpacity(*overlay), 1.0f);

    // The card: 320 wide, centred, its parts stacked with their gaps.
    const auto& card = *overlay->card();
    const base::Rect cardFrame = card.frame();
    EXPECT_DOUBLE_EQ(cardFrame.width(), 320);
    EXPECT_NEAR(cardFrame.midX(), page->view()->bounds().midX(), 1e-9);
    EXPECT_NEAR(cardFrame.midY(), page->view()->bounds().midY(), 1e-9);

    const base::Rect title = overlay->titleLabel()->frame();
    const base::Rect message = overlay->messageLabel()->frame();
    const base::Rect cancel = overlay->cancelButton()->convertRect(
        overlay->cancelButton()->bounds(), overlay->card()->contentView().get());
    const base::Rect confirm = overlay->confirmButton()->convertRect(
        overlay->confirmButton()->bounds(), overlay->card()->contentView().get());
    EXPECT_EQ(overlay->titleLabel()->text(), "重置设置？");
    EXPECT_EQ(overlay->messageLabel()->text(), "这会恢复所有 Quorvane 设置，启用状态除外。");
    EXPECT_EQ(title.minY(), 22);
    EXPECT_EQ(title.minX(), 18);
    EXPECT_EQ(title.width(), 320 - 36);
    EXPECT_EQ(message.minY(), title.maxY() + 10);
    EXPECT_GE(message.height(), 2 * overlay->messageLabel()->intrinsicContentSize().height)
        << "the standard message is wider than the card and wraps onto a second line";
    EXPECT_EQ(cancel.minY(), message.maxY() + 20);
    EXPECT_EQ(cancel.height(), 46);
    EXPECT_EQ(cancel.minX(), 16);
    EXPECT_EQ(confirm.maxX(), 320 - 16);
    EXPECT_EQ(confirm.minX() - cancel.maxX(), 12);
    EXPECT_EQ(cancel.width(), confirm.width());
    EXPECT_EQ(cardFrame.height(), cancel.maxY() + 16);
}

TEST_F(ResetConfirmationTest, NarrowPageKeepsTheCardClearOfItsEdges) {
    auto page = showPage();
    page->view()->setFrame({0, 0, 300, 600});
    LGPresentResetConfirmation(page, "这会重置当前页面中的设置。", reset);
    const auto overlay = overlayOf(*page);
    ASSERT_TRUE(overlay);
    runUntilSeconds(0.3);
    EXPECT_EQ(overlay->card()->frame(), (base::Rect{20, overlay->card()->frame().minY(), 260,
                                                    overlay->card()->frame().height()}));
    EXPECT_EQ(overlay->messageLabel()->text(), "这会重置当前页面中的设置。");
    EXPECT_EQ(overlay->messageLabel()->frame().height(),
              overlay->messageLabel()->intrinsicContentSize().height)
        << "a message that fits stays one line";

    // The overlay follows the page's size.
    page->view()->setFrame({0, 0, 393, 852});
    page->view()->layoutIfNeeded();
    EXPECT_EQ(overlay->frame(), page->view()->bounds());
    EXPECT_EQ(overlay->card()->frame().width(), 320);
}

TEST_F(ResetConfirmationTest, CancelAndTapsOutsideTheCardChangeNothing) {
    auto page = showPage();
    for (int round = 0; round < 2; ++round) {
        LGPresentResetConfirmation(page, "", reset);
        const auto overlay = overlayOf(*page);
        ASSERT_TRUE(overlay);
        const double start = dispatch::now() - T0;
        runUntilSeconds(start + 0.3);
        if (round == 0) {
            ASSERT_TRUE(tap(*overlay->cancelButton()));
        } else {
            // Well above the card, on the dimmed page.
            ASSERT_TRUE(finger.tap({page->view()->bounds().midX(), 60}));
        }
        EXPECT_TRUE(overlay->isDismissing());
        EXPECT_EQ(overlay->alpha(), 0.0);
        EXPECT_EQ(scaleOf(*overlay->card()), 0.96);
        EXPECT_EQ(overlay->superview(), page->view()) << "still fading out";
        runUntilSeconds(start + 0.6);
        EXPECT_FALSE(overlay->superview());
    }
    runUntilSeconds(3);
    EXPECT_EQ(page->resets, 0);
    EXPECT_TRUE(stored("Quorvane.Clock.Blur"));
    EXPECT_TRUE(stored("Quorvane.Clock.FPS"));
}

TEST_F(ResetConfirmationTest, ConfirmRunsThePagesResetOnceAtOnce) {
    auto page = showPage();
    LGPresentResetConfirmation(page, "", reset);
    const auto overlay = overlayOf(*page);
    ASSERT_TRUE(overlay);
    runUntilSeconds(0.3);

    ASSERT_TRUE(tap(*overlay->confirmButton()));
    EXPECT_EQ(page->resets, 1) << "at once, while the card fades";
    // A second tap on the fading card, or a programmatic dismissal, does not run it again.
    (void)tap(*overlay->confirmButton());
    EXPECT_EQ(page->resets, 1);
    overlay->dismiss(true);
    runUntilSeconds(3);
    EXPECT_EQ(page->resets, 1);
    EXPECT_FALSE(overlay->superview());
    // The page's own reset does the work: the card removed nothing itself.
    EXPECT_TRUE(stored("Quorvane.Clock.Blur"));
}

TEST_F(ResetConfirmationTest, WithoutAPageActionEverythingButTheReservedKeysIsResetLater) {
    for (const runtime::SEL action : {runtime::SEL(), runtime::Selector::named("noSuchMethod")}) {
        LGPrefsSetValue("Quorvane.Clock.Blur", base::PlistValue::real(9));
        LGPrefsPublishNow();
        auto page = showPage();
        LGPresentResetConfirmation(page, "", action);
        const auto overlay = overlayOf(*page);
        ASSERT_TRUE(overlay);
        const double start = dispatch::now() - T0;
        runUntilSeconds(start + 0.3);
        ASSERT_TRUE(tap(*overlay->confirmButton()));
        const double tapped = dispatch::now() - T0;

        runUntilSeconds(tapped + 0.66);
        EXPECT_TRUE(stored("Quorvane.Clock.Blur")) << action.name();
        runUntilSeconds(tapped + 0.68);
        EXPECT_FALSE(stored("Quorvane.Clock.Blur")) << action.name();
        EXPECT_FALSE(stored("Quorvane.Clock.FPS")) << action.name();
        EXPECT_TRUE(stored(kLGPrefsEnabledKey)) << "the master switch survives every reset";
        EXPECT_EQ(page->resets, 0);
    }
}

TEST_F(ResetConfirmationTest, ASecondPresentationReplacesTheFirst) {
    auto page = showPage();
    LGPresentResetConfirmation(page, "", reset);
    const auto first = overlayOf(*page);
    runUntilSeconds(0.05);
    LGPresentResetConfirmation(page, "第二次", reset);
    const auto second = overlayOf(*page);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_FALSE(first->superview());
    EXPECT_EQ(overlayCount(*page), 1);
    EXPECT_EQ(second->messageLabel()->text(), "第二次");
    runUntilSeconds(1);
    EXPECT_EQ(overlayCount(*page), 1) << "the first card's animations do not touch the second";
    EXPECT_EQ(second->superview(), page->view());

    // Also while the first is still fading out after a cancel.
    ASSERT_TRUE(tap(*second->cancelButton()));
    LGPresentResetConfirmation(page, "", reset);
    runUntilSeconds(2);
    EXPECT_EQ(overlayCount(*page), 1);
    EXPECT_FALSE(second->superview());
    EXPECT_EQ(page->resets, 0);
}

TEST_F(ResetConfirmationTest, NothingWithoutAWindow) {
    auto page = std::make_shared<CountingPage>();
    LGPresentResetConfirmation(page, "", reset);
    EXPECT_FALSE(page->isViewLoaded()) << "an unloaded page is not loaded just to show nothing";

    page->loadViewIfNeeded();
    LGPresentResetConfirmation(page, "", reset);
    EXPECT_EQ(overlayOf(*page), nullptr);
    LGPresentResetConfirmation(nullptr, "", reset);
    runUntilSeconds(2);
    EXPECT_EQ(page->resets, 0);
    EXPECT_TRUE(stored("Quorvane.Clock.Blur"));
}

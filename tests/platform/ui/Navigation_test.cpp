#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuPresentation.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/TextField.h"

using base::Point;
using base::Rect;

namespace {

// A controller that logs its appearance callbacks as "<name>:<callback>".
class TracePage : public ui::ViewController {
    QV_OBJECT(TracePage, ui::ViewController);

  public:
    explicit TracePage(std::string name = {}) : name_(std::move(name)) {}

  private:
    static void registerMethods(runtime::MethodList<TracePage>& methods) {
        methods.add<&TracePage::didLoad>(kViewDidLoad)
            .add<&TracePage::willAppear>(kViewWillAppear)
            .add<&TracePage::didAppear>(kViewDidAppear)
            .add<&TracePage::willDisappear>(kViewWillDisappear)
            .add<&TracePage::didDisappear>(kViewDidDisappear);
    }
    void note(const char* what) { traceLog().push_back(name_ + ":" + what); }
    void didLoad() { note("load"); }
    void willAppear(bool) { note("willAppear"); }
    void didAppear(bool) { note("didAppear"); }
    void willDisappear(bool) { note("willDisappear"); }
    void didDisappear(bool) { note("didDisappear"); }

    std::string name_;
};

QV_DEFINE_CLASS(TracePage, "QVTestTracePage");

std::shared_ptr<TracePage> page(const std::string& name) {
    return std::make_shared<TracePage>(name);
}

Point centerOnScreen(const ui::View& view) {
    const Rect r = view.convertRect(view.bounds(), nullptr);
    return {r.midX(), r.midY()};
}

}  // namespace

TEST_F(ControlsTest, NavigationPushAndPopRunTheAppearanceCallbacksInOrder) {
    std::vector<std::string>& log = traceLog();
    log.clear();
    auto root = page("root");
    auto nav = ui::NavigationController::create(root);
    window->setRootViewController(nav);
    step();
    EXPECT_EQ(log, (std::vector<std::string>{"root:load", "root:willAppear", "root:didAppear"}));

    log.clear();
    auto detail = page("detail");
    nav->pushViewController(detail, true);
    EXPECT_EQ(log,
              (std::vector<std::string>{"detail:load", "root:willDisappear", "detail:willAppear"}));
    EXPECT_TRUE(nav->isTransitioning());
    runUntilSeconds(1);
    EXPECT_EQ(log,
              (std::vector<std::string>{"detail:load", "root:willDisappear", "detail:willAppear",
                                        "root:didDisappear", "detail:didAppear"}));
    EXPECT_EQ(detail->navigationController(), nav);
    EXPECT_EQ(detail->view()->superview(), nav->view());
    EXPECT_FALSE(root->view()->superview());

    // The bar's back button pops; the page leaves its parent once the slide is over.
    log.clear();
    ASSERT_TRUE(nav->navigationBar()->backButton());
    ASSERT_TRUE(finger.tap(centerOnScreen(*nav->navigationBar()->backButton())));
    runUntilSeconds(2);
    EXPECT_EQ(log, (std::vector<std::string>{"detail:willDisappear", "root:willAppear",
                                             "detail:didDisappear", "root:didAppear"}));
    EXPECT_FALSE(detail->parentViewController());
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_EQ(nav->popViewControllerAnimated(true), nullptr) << "the root stays";

    // A push during a slide finishes the slide first: every page hears balanced callbacks.
    log.clear();
    auto a = page("a"), b = page("b");
    nav->pushViewController(a, true);
    nav->pushViewController(b, false);
    EXPECT_EQ(
        log, (std::vector<std::string>{
                 "a:load", "root:willDisappear", "a:willAppear", "root:didDisappear", "a:didAppear",
                 "b:load", "a:willDisappear", "b:willAppear", "a:didDisappear", "b:didAppear"}));
}

TEST_F(ControlsTest, NavigationBarShowsTheTopItemAndItsButtonsReachTheirTargets) {
    auto root = std::make_shared<ui::ViewController>();
    root->setTitle("Settings");
    auto nav = ui::NavigationController::create(root);
    window->setRootViewController(nav);
    auto counter = std::make_shared<ActionCounter>();
    auto reset = ui::BarButtonItem::create("Reset", ui::BarButtonItemStyle::Plain, counter,
                                           ActionCounter::kTapped.selector());
    root->navigationItem()->setRightBarButtonItem(reset);
    ui::NavigationBarAppearance clear;
    clear.configureWithTransparentBackground();
    root->navigationItem()->setStandardAppearance(clear);
    step();

    const auto& bar = nav->navigationBar();
    EXPECT_EQ(bar->titleLabel()->text(), "Settings");
    EXPECT_FALSE(bar->backButton()) << "the root has nothing to go back to";
    EXPECT_FALSE(bar->effectiveAppearance().backgroundEffect);
    ASSERT_EQ(bar->rightButtons().size(), 1u);
    ASSERT_TRUE(finger.tap(centerOnScreen(*bar->rightButtons()[0])));
    EXPECT_EQ(counter->tapped, 1);

    // Hiding the back button and putting a button on the left replaces the back button.
    auto detail = std::make_shared<ui::ViewController>();
    detail->navigationItem()->setHidesBackButton(true);
    nav->pushViewController(detail, false);
    EXPECT_FALSE(bar->backButton());
    detail->navigationItem()->setHidesBackButton(false);
    EXPECT_TRUE(bar->backButton());
    EXPECT_EQ(bar->titleLabel()->text(), "");
}

TEST_F(ControlsTest, AlertTextFieldTakesTypedTextAndItsActionFiresOnce) {
    auto root = std::make_shared<ui::ViewController>();
    window->setRootViewController(root);
    auto alert =
        ui::AlertController::create("Value", "Between 0 and 50", ui::AlertControllerStyle::Alert);
    alert->addTextFieldWithConfigurationHandler([](ui::TextField& field) {
        field.setKeyboardType(ui::KeyboardType::DecimalPad);
        field.setPlaceholder("12.5");
        field.setText("12.5");
        field.setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    });
    int cancelled = 0;
    std::vector<std::string> applied;
    alert->addAction(ui::AlertAction::create("Cancel", ui::AlertActionStyle::Cancel,
                                             [&](ui::AlertAction&) { ++cancelled; }));
    alert->addAction(ui::AlertAction::create(
        "Apply", ui::AlertActionStyle::Default,
        [&](ui::AlertAction&) { applied.push_back(alert->textFields()[0]->text()); }));
    root->presentViewController(alert, true);
    runUntilSeconds(1);
    ASSERT_EQ(alert->presentingViewController(), root);
    const auto& field = alert->textFields()[0];
    EXPECT_EQ(ui::TextField::firstResponder(), field);
    EXPECT_TRUE(field->isClearButtonShown());

    // The clear button empties the field; typing goes to the focused field.
    int edits = 0;
    field->addAction(ui::Action::create({}, nullptr, [&](ui::Action&) { ++edits; }),
                     ui::ControlEvents::EditingChanged);
    const Rect f = field->convertRect(field->bounds(), nullptr);
    ASSERT_TRUE(finger.tap({f.maxX() - 15, f.midY()}));
    EXPECT_EQ(field->text(), "");
    ui::TextField::firstResponder()->insertText("999");
    EXPECT_EQ(edits, 2);

    // The "Apply" button sits on the right half of the card's button row.
    const Rect card = alert->cardFrame();
    const Point apply{card.maxX() - 40, card.maxY() - 22};
    ASSERT_TRUE(finger.tap(apply));
    EXPECT_EQ(applied, (std::vector<std::string>{"999"}));
    EXPECT_TRUE(alert->isSettled());
    EXPECT_FALSE(alert->chooseActionTitled("Cancel"));
    runUntilSeconds(3);
    EXPECT_EQ(applied.size(), 1u);
    EXPECT_EQ(cancelled, 0);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(alert->view()->superview());
    EXPECT_FALSE(ui::TextField::firstResponder());
}

TEST_F(ControlsTest, MenuPickSendsItsActionAndMovesTheCheckMark) {
    auto button = ui::Button::create(ui::ButtonType::System);
    button->setFrame(Rect{200, 300, 120, 32});
    window->addSubview(button);
    std::vector<std::string> picked;
    std::vector<std::shared_ptr<ui::MenuElement>> entries;
    for (const char* title : {"Current", "Rounded", "Glass"}) {
        entries.push_back(ui::Action::create(
            title, nullptr, [&picked](ui::Action& a) { picked.push_back(a.title()); }));
    }
    std::static_pointer_cast<ui::Action>(entries[0])->setState(ui::MenuElementState::On);
    button->setMenu(ui::Menu::create("", entries, ui::MenuOptions::SingleSelection));
    button->setShowsMenuAsPrimaryAction(true);
    step();

    ASSERT_TRUE(finger.tap(centerOnScreen(*button)));
    auto list = ui::MenuPresentation::current();
    ASSERT_TRUE(list);
    const Rect panel = list->panelFrame();
    EXPECT_DOUBLE_EQ(panel.minY(), 300 + 32 + ui::MenuPresentation::kGap) << "opens below";
    EXPECT_DOUBLE_EQ(panel.maxX(), 320) << "lined up with the button's trailing edge";

    // Tap the third row.
    ASSERT_TRUE(finger.tap({panel.midX(), panel.minY() + 2.5 * ui::MenuPresentation::kRowHeight}));
    EXPECT_EQ(picked, (std::vector<std::string>{"Glass"}));
    EXPECT_FALSE(ui::MenuPresentation::current());
    const auto actions = button->menu()->flattenedActions();
    EXPECT_EQ(actions[0]->state(), ui::MenuElementState::Off);
    EXPECT_EQ(actions[2]->state(), ui::MenuElementState::On);

    // A tap beside the list closes it and runs nothing.
    ASSERT_TRUE(finger.tap(centerOnScreen(*button)));
    ASSERT_TRUE(ui::MenuPresentation::current());
    ASSERT_TRUE(finger.tap({20, 700}));
    EXPECT_FALSE(ui::MenuPresentation::current());
    EXPECT_EQ(picked.size(), 1u);
}

TEST_F(ControlsTest, ButtonConfigurationPlacesTheImageAfterTheTitle) {
    auto button = ui::Button::create(ui::ButtonType::System);
    auto config = ui::ButtonConfiguration::plainButtonConfiguration();
    config.title = "Rounded";
    config.image = ui::systemImage("chevron.down", 12);
    ASSERT_TRUE(config.image) << "the icon font is installed by scripts/setup.sh";
    config.imagePlacement = ui::ButtonImagePlacement::Trailing;
    config.imagePadding = 6;
    config.contentInsets = {4, 8, 4, 8};
    button->setConfiguration(config);
    const base::Size size = button->intrinsicContentSize();
    button->setFrame({{0, 0}, size});
    button->layoutIfNeeded();
    const Rect title = button->titleLabel()->frame();
    const Rect image = button->imageView()->frame();
    EXPECT_DOUBLE_EQ(title.minX(), 8);
    EXPECT_DOUBLE_EQ(image.minX(), title.maxX() + 6);
    EXPECT_DOUBLE_EQ(image.maxX(), size.width - 8);
    EXPECT_TRUE(ui::isTemplateImage(config.image));
    EXPECT_FALSE(ui::systemImage("no.such.symbol"));
}

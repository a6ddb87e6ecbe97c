#include <gtest/gtest.h>

#include "../ui/ControlsTestSupport.h"
#include "platform/prefs/UserDefaults.h"
#include "platform/settings/ListController.h"
#include "platform/ui/NavigationController.h"

using base::Rect;

namespace {

// A bundle's root controller: two rows, and a record of what was chosen.
class SampleListController : public settings::ListController {
    QV_OBJECT(SampleListController, settings::ListController);

  public:
    std::vector<std::string> chosen;

  private:
    static void registerMethods(runtime::MethodList<SampleListController>& methods) {
        methods.add<&SampleListController::rows>(kSpecifiers)
            .add<&SampleListController::select>(kSelectSpecifier);
    }
    Specifiers rows() {
        auto off = settings::Specifier::create("Off limits", settings::CellType::LinkList);
        off->setEnabled(false);
        return {settings::Specifier::create("Clock", settings::CellType::Group),
                settings::Specifier::create("Glass", settings::CellType::LinkList), off};
    }
    void select(settings::Specifier* s) { chosen.push_back(s->name()); }
};

QV_DEFINE_CLASS(SampleListController, "QVTestSampleListController");

}  // namespace

TEST_F(ControlsTest, ListControllerShowsItsSpecifiersAndReportsTheChosenRow) {
    auto list = std::make_shared<SampleListController>();
    auto nav = ui::NavigationController::create(list);
    window->setRootViewController(nav);
    step();
    ASSERT_TRUE(list->table());
    ASSERT_EQ(list->table()->rows().size(), 3u);
    EXPECT_TRUE(list->table()->rectForRow(0).isNull()) << "a group header is not a row";

    const auto onScreen = [&](std::size_t row) {
        const Rect r = list->table()->convertRect(list->table()->rectForRow(row), nullptr);
        return base::Point{r.midX(), r.midY()};
    };
    ASSERT_TRUE(finger.tap(onScreen(1)));
    ASSERT_TRUE(finger.tap(onScreen(2)));  // disabled: nothing is chosen
    EXPECT_EQ(list->chosen, (std::vector<std::string>{"Glass"}));

    // The Settings app's own defaults are a domain of their own.
    EXPECT_EQ(settings::settingsUserDefaults()->domain(), "com.apple.Preferences");
}

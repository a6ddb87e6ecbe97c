#include "platform/settings/ListController.h"

#include "platform/prefs/PreferenceService.h"
#include "platform/prefs/UserDefaults.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemColors.h"

namespace settings {

QV_DEFINE_CLASS(ListController, "PSListController");

void ListController::registerMethods(runtime::MethodList<ListController>& methods) {
    methods.add<&ListController::loadListView>(kLoadView)
        .add<&ListController::viewDidLoadList>(kViewDidLoad)
        .add<&ListController::specifiersDefault>(kSpecifiers)
        .add<&ListController::selectSpecifierDefault>(kSelectSpecifier);
}

ListController::ListController() = default;
ListController::~ListController() = default;

void ListController::loadListView() {
    auto view = ui::View::create(ui::Screen::main()->bounds());
    view->setBackgroundColor(ui::colors::systemGroupedBackground());
    table_ = ListTable::create(view->bounds());
    table_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                ui::AutoresizingMask::FlexibleHeight);
    // The page runs under the navigation bar.
    table_->setContentInset({ui::NavigationBar::kHeight, 0, 0, 0});
    table_->setContentOffset({0, -ui::NavigationBar::kHeight});
    const std::weak_ptr<ListController> self = runtime::weakRef(this);
    table_->setSelectionHandler([self](Specifier& s) {
        if (auto c = self.lock()) kSelectSpecifier.send(c.get(), &s);
    });
    view->addSubview(table_);
    setView(view);
}

void ListController::viewDidLoadList() {
    reloadSpecifiers();
}

void ListController::reloadSpecifiers() {
    if (table_) table_->setRows(specifiers());
}

std::shared_ptr<prefs::UserDefaults> settingsUserDefaults() {
    return prefs::UserDefaults::create("com.apple.Preferences", prefs::PreferenceService::shared());
}

}  // namespace settings

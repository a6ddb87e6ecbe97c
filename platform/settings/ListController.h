#pragma once

#include <memory>
#include <vector>

#include "platform/settings/ListTable.h"
#include "platform/settings/Specifier.h"
#include "platform/ui/ViewController.h"

namespace prefs {
class UserDefaults;
}

namespace settings {

// The Settings app's list page ("PSListController"), the base of a preference bundle's root
// controller. Its view is the table filling the page (under the navigation bar); the rows are
// what `specifiers` answers, asked again by reloadSpecifiers(). Subclasses override
// `specifiers` and `selectSpecifier:` through the method table, like any other message.
class ListController : public ui::ViewController {
    QV_OBJECT(ListController, ui::ViewController);

  public:
    using Specifiers = std::vector<std::shared_ptr<Specifier>>;
    static inline const runtime::Message<Specifiers()> kSpecifiers{"specifiers"};
    static inline const runtime::Message<void(Specifier*)> kSelectSpecifier{"selectSpecifier:"};

    ListController();
    ~ListController() override;

    Specifiers specifiers() { return kSpecifiers.send(this); }
    // The table, once the view has loaded.
    const std::shared_ptr<ListTable>& table() const { return table_; }
    void reloadSpecifiers();

  private:
    static void registerMethods(runtime::MethodList<ListController>& methods);
    void loadListView();
    void viewDidLoadList();
    Specifiers specifiersDefault() { return {}; }
    void selectSpecifierDefault(Specifier*) {}

    std::shared_ptr<ListTable> table_;
};

// The Settings app's own user defaults (domain "com.apple.Preferences"), whatever process asks.
std::shared_ptr<prefs::UserDefaults> settingsUserDefaults();

}  // namespace settings

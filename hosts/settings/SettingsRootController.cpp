#include "hosts/settings/SettingsRootController.h"

#include <cstdio>

#include "platform/ui/NavigationController.h"

QV_DEFINE_CLASS(SettingsRootController, "QVSettingsRootListController");

void SettingsRootController::registerMethods(runtime::MethodList<SettingsRootController>& methods) {
    methods.add<&SettingsRootController::specifiersRoot>(kSpecifiers)
        .add<&SettingsRootController::selectRoot>(kSelectSpecifier);
}

SettingsRootController::SettingsRootController() {
    setTitle("Settings");
}

void SettingsRootController::reloadBundles() {
    bundles_ = findPreferenceBundles();
    for (PreferenceBundle& b : bundles_) {
        if (!b.problem.empty()) reportUnavailable(b, b.problem);
    }
    reloadSpecifiers();
}

void SettingsRootController::reportUnavailable(PreferenceBundle& bundle,
                                               const std::string& reason) {
    bundle.problem = reason;
    // One line per bundle for the life of the process, however often it is chosen.
    if (reported_.insert(bundle.name).second) {
        std::fprintf(stderr, "[Settings] preference bundle %s is unavailable: %s\n",
                     bundle.name.c_str(), reason.c_str());
    }
}

SettingsRootController::Specifiers SettingsRootController::specifiersRoot() {
    Specifiers out;
    out.push_back(settings::Specifier::create("PREFERENCE BUNDLES", settings::CellType::Group));
    for (const PreferenceBundle& b : bundles_) {
        auto row = settings::Specifier::create(b.name, settings::CellType::LinkList);
        if (!b.problem.empty()) {
            row->setDetail("Unavailable");
            row->setEnabled(false);
        }
        out.push_back(std::move(row));
    }
    if (bundles_.empty()) {
        auto none =
            settings::Specifier::create("No preference bundles", settings::CellType::Static);
        none->setEnabled(false);
        out.push_back(std::move(none));
    }
    return out;
}

void SettingsRootController::selectRoot(settings::Specifier* specifier) {
    if (specifier == nullptr) return;
    std::string error;
    (void)openBundleNamed(specifier->name(), true, error);
}

bool SettingsRootController::openBundleNamed(const std::string& name, bool animated,
                                             std::string& error) {
    for (PreferenceBundle& b : bundles_) {
        if (b.name != name) continue;
        if (!b.problem.empty()) {
            error = "the bundle " + name + " is unavailable: " + b.problem;
            return false;
        }
        std::string reason;
        std::shared_ptr<ui::ViewController> page = openPreferenceBundle(b, reason);
        if (!page) {
            reportUnavailable(b, reason);
            reloadSpecifiers();
            error = "the bundle " + name + " is unavailable: " + reason;
            return false;
        }
        if (page->title().empty()) page->setTitle(b.name);
        const std::shared_ptr<ui::NavigationController> nav = navigationController();
        if (!nav) {
            error = "the Settings page is not in a navigation controller";
            return false;
        }
        nav->pushViewController(page, animated);
        return true;
    }
    error = "no preference bundle is named " + name;
    return false;
}

#pragma once

#include <set>
#include <string>
#include <vector>

#include "hosts/settings/PreferenceBundle.h"
#include "platform/settings/ListController.h"

// The Settings app's first page: one row per installed preference bundle. Choosing a row loads
// the bundle and pushes an instance of its principal class; a bundle that cannot be opened is
// shown as unavailable (greyed, with the word "Unavailable") and logged once, with the reason.
class SettingsRootController : public settings::ListController {
    QV_OBJECT(SettingsRootController, settings::ListController);

  public:
    SettingsRootController();

    const std::vector<PreferenceBundle>& bundles() const { return bundles_; }
    // Scans the bundles folder again and rebuilds the rows.
    void reloadBundles();
    // Opens the bundle as a tap on its row does. False with `error` set when there is no such
    // bundle or it cannot be opened.
    bool openBundleNamed(const std::string& name, bool animated, std::string& error);

  private:
    static void registerMethods(runtime::MethodList<SettingsRootController>& methods);
    Specifiers specifiersRoot();
    void selectRoot(settings::Specifier* specifier);
    void reportUnavailable(PreferenceBundle& bundle, const std::string& reason);

    std::vector<PreferenceBundle> bundles_;
    std::set<std::string> reported_;
};

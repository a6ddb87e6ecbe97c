#include "settings/page/LGPageSupport.h"

#include "platform/notify/NotificationCenter.h"
#include "platform/prefs/UserDefaults.h"
#include "platform/settings/ListController.h"
#include "platform/ui/Button.h"

namespace {

void storeEntry(std::string_view key, std::string_view value) {
    const std::shared_ptr<prefs::UserDefaults> defaults = settings::settingsUserDefaults();
    if (!defaults) return;
    if (value.empty()) {
        defaults->removeObject(key);
    } else {
        defaults->setObject(key, base::PlistValue::string(std::string(value)));
    }
    defaults->synchronize();
}

std::string storedEntry(std::string_view key) {
    const std::shared_ptr<prefs::UserDefaults> defaults = settings::settingsUserDefaults();
    return defaults ? defaults->stringForKey(key) : std::string();
}

}  // namespace

std::string LGPrefsCurrentLanguage() {
    std::string language = storedEntry(kLGPrefsLanguageKey);
    return language.empty() ? "zh-Hans" : language;
}

void LGPrefsSetLanguage(std::string_view code) {
    // English is the page's base language, so it is stored as the absence of a choice.
    storeEntry(kLGPrefsLanguageKey, code == "en" ? std::string_view() : code);
    notify::NotificationCenter::defaultCenter().post(kLGPrefsLanguageChangedNotification);
}

void LGPrefsRememberSurface(std::string_view identifier) {
    storeEntry(kLGPrefsLastSurfaceKey, identifier);
}

void LGPrefsForgetSurface(std::string_view identifier) {
    // Another page may have been shown since; its entry is not ours to forget.
    if (!identifier.empty() && identifier != storedEntry(kLGPrefsLastSurfaceKey)) return;
    storeEntry(kLGPrefsLastSurfaceKey, {});
}

base::Color LGPanelBackgroundColor() {
    return base::Color::dynamic(base::Color(1, 1, 1, 0.76), base::Color(1, 1, 1, 0.07));
}

void LGSetButtonContentInsets(ui::Button& button, const ui::DirectionalEdgeInsets& insets) {
    ui::ButtonConfiguration configuration =
        button.configuration().value_or(ui::ButtonConfiguration::plainButtonConfiguration());
    if (configuration.title.empty())
        configuration.title = button.titleForState(ui::ControlState::Normal);
    if (!configuration.image) configuration.image = button.imageForState(ui::ControlState::Normal);
    configuration.contentInsets = insets;
    button.setConfiguration(std::move(configuration));
}

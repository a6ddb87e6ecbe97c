#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Color.h"
#include "platform/base/PropertyList.h"
#include "platform/ui/ViewController.h"
#include "settings/model/LGSettingsItem.h"

namespace ui {
class Button;
class Label;
class Menu;
class ScrollView;
class StackView;
class Switch;
class Slider;
class TapGestureRecognizer;
class View;
}  // namespace ui

// The settings page: a vertically scrolling column of section headers and rounded panels of
// rows, generated from a list of items. Every control reads its value straight from the
// preference domain and writes each change back; the items' rules dim or hide rows; a reset
// animates the controls home and then clears the page's keys. Main thread only.
class QVQuorvaneSurfaceController : public ui::ViewController {
    QV_OBJECT(QVQuorvaneSurfaceController, ui::ViewController);

  public:
    // Action messages, sent by the chrome, the rows and the about links.
    static inline const runtime::Message<void()> kHandleBackPressed{"handleBackPressed"};
    static inline const runtime::Message<void()> kHandleResetPressed{"handleResetPressed"};
    static inline const runtime::Message<void()> kPerformAnimatedSurfacePreferenceReset{
        "performAnimatedSurfacePreferenceReset"};
    static inline const runtime::Message<void()> kOpenSileoRepo{"openSileoRepo"};
    static inline const runtime::Message<void()> kOpenTelegramChannel{"openTelegramChannel"};
    static inline const runtime::Message<void()> kOpenQQGroup{"openQQGroup"};
    static inline const runtime::Message<void(runtime::Object*)> kHandleJumpChipPressed{
        "handleJumpChipPressed:"};
    static inline const runtime::Message<void(runtime::Object*)> kHandleSliderValueLabelTapped{
        "handleSliderValueLabelTapped:"};

    // initWithTintColor:identifier:items:. No tint gives the system blue.
    static std::shared_ptr<QVQuorvaneSurfaceController> create(std::optional<base::Color> tintColor,
                                                               std::string identifier,
                                                               std::vector<LGSettingsItem> items);
    QVQuorvaneSurfaceController();
    ~QVQuorvaneSurfaceController() override;

    const std::string& screenIdentifier() const { return screenIdentifier_; }
    const base::Color& accentColor() const { return accentColor_; }
    const std::vector<LGSettingsItem>& items() const { return items_; }
    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<ui::StackView>& contentStack() const { return contentStack_; }
    const std::shared_ptr<ui::ScrollView>& jumpScrollView() const { return jumpScrollView_; }
    const std::shared_ptr<ui::StackView>& jumpStack() const { return jumpStack_; }
    // The header view of each titled, full-size section.
    const std::map<std::string, std::weak_ptr<ui::View>>& sectionViews() const {
        return sectionViews_;
    }

    // ---- Rules ----
    void updateVisibleValueControlledItemsAnimated(bool animated);
    void updatePanelsControlledByEnabledKey(const std::string& key, bool enabled, bool animated);

    // ---- Content ----
    void reloadLocalizedContent();
    void reloadVisibleSettings();
    void handleLanguageChanged();

    // ---- Chrome ----
    void configureCustomBackButton();
    void applyNavigationBarStyle();
    void handleBackPressed() { kHandleBackPressed.send(this); }
    void handleResetPressed() { kHandleResetPressed.send(this); }
    void openURLString(const std::string& url);

    // ---- Resets ----
    // The non-empty keys of the items, in order, each once.
    std::vector<std::string> currentPreferenceKeys() const;
    void performAnimatedSurfacePreferenceReset() {
        kPerformAnimatedSurfacePreferenceReset.send(this);
    }
    void animateVisibleControlsToDefaults();

    // ---- Quick jumps ----
    // The items of type "section" with a title that are not small captions.
    std::vector<LGSettingsItem> sectionItems() const;
    // The bar of chips, or nullptr when fewer than two sections qualify.
    std::shared_ptr<ui::View> jumpToViewIfNeeded();
    void jumpToSectionNamed(const std::string& title);

    // ---- Building blocks ----
    // Every descendant of `view`: each child, then that child's own descendants.
    static std::vector<std::shared_ptr<ui::View>> lg_allSubviewsOfView(const ui::View& view);
    std::shared_ptr<ui::View> sectionViewForItem(const LGSettingsItem& item);
    std::shared_ptr<ui::View> controlBodyForItem(const LGSettingsItem& item);
    std::shared_ptr<ui::View> groupedPanelForItems(const std::vector<LGSettingsItem>& items);
    void appendSurfaceGroupItems(const std::vector<LGSettingsItem>& items);
    std::string menuSelectionTitleForItem(const LGSettingsItem& item) const;

  private:
    static void registerMethods(runtime::MethodList<QVQuorvaneSurfaceController>& methods);
    std::shared_ptr<QVQuorvaneSurfaceController> self() {
        return std::static_pointer_cast<QVQuorvaneSurfaceController>(shared_from_this());
    }
    void viewDidLoadSurface();
    void viewWillAppearSurface(bool animated);
    void viewDidAppearSurface(bool animated);
    void handleBackPressedSurface();
    void handleResetPressedSurface();
    void performResetSurface();
    void openSileoRepoSurface();
    void openTelegramChannelSurface();
    void openQQGroupSurface();
    void handleJumpChipPressedSurface(runtime::Object* sender);
    void handleSliderValueLabelTappedSurface(runtime::Object* sender);

    // Rows (SurfaceRows.cpp).
    std::shared_ptr<ui::Label> controlTitleLabelForItem(const LGSettingsItem& item);
    std::shared_ptr<ui::Label> controlSubtitleLabelWithText(const std::string& text);
    std::shared_ptr<ui::View> controlHeaderRowWithTitleLabel(
        const std::shared_ptr<ui::Label>& title,
        const std::vector<std::shared_ptr<ui::View>>& accessories, double spacing);
    std::shared_ptr<ui::Switch> configuredToggleForItem(const LGSettingsItem& item);
    std::shared_ptr<ui::Label> sliderValueLabelForStoredValue(
        double stored, int64_t decimals, const LGSettingsItem& item, double minValue,
        double maxValue, const std::shared_ptr<ui::Slider>& slider);
    std::shared_ptr<ui::Menu> menuForItem(const LGSettingsItem& item, const std::string& current,
                                          const std::shared_ptr<ui::Button>& menuButton);
    std::shared_ptr<ui::View> stackedRow(const std::shared_ptr<ui::View>& header,
                                         const std::shared_ptr<ui::Label>& subtitle);
    std::shared_ptr<ui::View> menuControlBodyForItem(const LGSettingsItem& item,
                                                     const std::shared_ptr<ui::Label>& title);
    std::shared_ptr<ui::View> switchControlBodyForItem(const LGSettingsItem& item,
                                                       const std::shared_ptr<ui::Label>& title);
    std::shared_ptr<ui::View> sliderControlBodyForItem(const LGSettingsItem& item,
                                                       const std::shared_ptr<ui::Label>& title);
    std::shared_ptr<ui::View> navControlBodyForItem(const LGSettingsItem& item,
                                                    const std::shared_ptr<ui::Label>& title);

    std::string screenIdentifier_;
    base::Color accentColor_;
    std::vector<LGSettingsItem> items_;
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ui::StackView> contentStack_;
    std::shared_ptr<ui::ScrollView> jumpScrollView_;
    std::shared_ptr<ui::StackView> jumpStack_;
    std::map<std::string, std::weak_ptr<ui::View>> sectionViews_;
    std::uint64_t languageObserver_ = 0;  // the notification centre's token; 0 for none
};

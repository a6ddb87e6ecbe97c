#include "settings/page/QVQuorvaneSurfaceController.h"

#include <set>

#include "platform/dispatch/Queue.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/StackView.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "settings/chrome/LGPageChrome.h"
#include "settings/chrome/LGTopFadeView.h"
#include "settings/model/LGSettingsItems.h"
#include "settings/page/LGPageSupport.h"
#include "settings/page/LGValueEntry.h"
#include "settings/page/detail/SurfaceAttachments.h"
#include "support/LGSharedSupport.h"

QV_DEFINE_CLASS(QVQuorvaneSurfaceController, "QVQuorvaneSurfaceController");

using namespace surface_detail;

void QVQuorvaneSurfaceController::registerMethods(
    runtime::MethodList<QVQuorvaneSurfaceController>& methods) {
    methods.add<&QVQuorvaneSurfaceController::viewDidLoadSurface>(kViewDidLoad)
        .add<&QVQuorvaneSurfaceController::viewWillAppearSurface>(kViewWillAppear)
        .add<&QVQuorvaneSurfaceController::viewDidAppearSurface>(kViewDidAppear)
        .add<&QVQuorvaneSurfaceController::handleBackPressedSurface>(kHandleBackPressed)
        .add<&QVQuorvaneSurfaceController::handleResetPressedSurface>(kHandleResetPressed)
        .add<&QVQuorvaneSurfaceController::performResetSurface>(
            kPerformAnimatedSurfacePreferenceReset)
        .add<&QVQuorvaneSurfaceController::openSileoRepoSurface>(kOpenSileoRepo)
        .add<&QVQuorvaneSurfaceController::openTelegramChannelSurface>(kOpenTelegramChannel)
        .add<&QVQuorvaneSurfaceController::openQQGroupSurface>(kOpenQQGroup)
        .add<&QVQuorvaneSurfaceController::handleJumpChipPressedSurface>(kHandleJumpChipPressed)
        .add<&QVQuorvaneSurfaceController::handleSliderValueLabelTappedSurface>(
            kHandleSliderValueLabelTapped);
}

std::shared_ptr<QVQuorvaneSurfaceController> QVQuorvaneSurfaceController::create(
    std::optional<base::Color> tintColor, std::string identifier,
    std::vector<LGSettingsItem> items) {
    auto page = std::make_shared<QVQuorvaneSurfaceController>();
    page->accentColor_ = tintColor.value_or(ui::colors::systemBlue());
    page->screenIdentifier_ = std::move(identifier);
    page->items_ = std::move(items);
    return page;
}

QVQuorvaneSurfaceController::QVQuorvaneSurfaceController()
    : accentColor_(ui::colors::systemBlue()) {}

QVQuorvaneSurfaceController::~QVQuorvaneSurfaceController() {
    // A slider released just before the page closed must still reach the clock; the Settings
    // app may end right after.
    LGPrefsFlushPendingPublish();
    if (languageObserver_ != 0) {
        notify::NotificationCenter::defaultCenter().removeObserver(languageObserver_);
    }
}

// ---- Lifecycle ----------------------------------------------------------------------------------

void QVQuorvaneSurfaceController::viewDidLoadSurface() {
    kViewDidLoad.sendSuper(this);
    const std::shared_ptr<ui::View> root = view();
    root->setBackgroundColor(ui::colors::systemGroupedBackground());

    // Pass 1: the bar's buttons and style.
    configureCustomBackButton();
    navigationItem()->setRightBarButtonItem(
        LGResetBarButtonItem("", shared_from_this(), kHandleResetPressed.selector()));
    applyNavigationBarStyle();

    // Pass 2: the scroll view, with the fade above it so rows scrolled under the bar fade out.
    scrollView_ = ui::ScrollView::create(root->bounds());
    scrollView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                     ui::AutoresizingMask::FlexibleHeight);
    // The page runs under the navigation bar; its column starts below the bar, as the phone's
    // automatic inset adjustment would place it.
    scrollView_->setContentInset({ui::NavigationBar::kHeight, 0, 0, 0});
    scrollView_->setContentOffset({0, -ui::NavigationBar::kHeight});
    root->addSubview(scrollView_);
    const std::shared_ptr<LGTopFadeView> fade = LGTopFadeView::create({});
    fade->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->insertSubviewAbove(fade, scrollView_.get());
    ui::LayoutConstraint::activateConstraints({
        fade->topAnchor().constraintEqualToAnchor(root->topAnchor()),
        fade->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
        fade->trailingAnchor().constraintEqualToAnchor(root->trailingAnchor()),
        fade->heightAnchor().constraintEqualToConstant(100),
    });

    // Pass 3: the column of blocks inside the scroll view.
    contentStack_ = ui::StackView::create();
    contentStack_->setAxis(ui::LayoutAxis::Vertical);
    contentStack_->setSpacing(12);
    contentStack_->setTranslatesAutoresizingMaskIntoConstraints(false);
    scrollView_->addSubview(contentStack_);
    const ui::LayoutGuide content = scrollView_->contentLayoutGuide();
    const ui::LayoutGuide frame = scrollView_->frameLayoutGuide();
    ui::LayoutConstraint::activateConstraints({
        contentStack_->topAnchor().constraintEqualToAnchor(content.topAnchor(), 23.25),
        contentStack_->leadingAnchor().constraintEqualToAnchor(frame.leadingAnchor(), 16),
        contentStack_->trailingAnchor().constraintEqualToAnchor(frame.trailingAnchor(), -16),
        contentStack_->bottomAnchor().constraintEqualToAnchor(content.bottomAnchor(), -112),
    });

    // Pass 4: the blocks, and the one notification that rebuilds them.
    reloadVisibleSettings();
    const std::weak_ptr<QVQuorvaneSurfaceController> weakSelf = self();
    languageObserver_ = notify::NotificationCenter::defaultCenter().addObserver(
        kLGPrefsLanguageChangedNotification, nullptr, nullptr,
        [weakSelf](const notify::Notification&) {
            if (auto self = weakSelf.lock()) self->handleLanguageChanged();
        });
}

void QVQuorvaneSurfaceController::viewWillAppearSurface(bool animated) {
    kViewWillAppear.sendSuper(this, animated);
    // Another page may have restyled the shared bar while it was on top.
    applyNavigationBarStyle();
}

void QVQuorvaneSurfaceController::viewDidAppearSurface(bool animated) {
    kViewDidAppear.sendSuper(this, animated);
    if (!screenIdentifier_.empty()) LGPrefsRememberSurface(screenIdentifier_);
}

// ---- Content ------------------------------------------------------------------------------------

void QVQuorvaneSurfaceController::handleLanguageChanged() {
    if (!isViewLoaded()) return;
    reloadLocalizedContent();
    reloadVisibleSettings();
}

void QVQuorvaneSurfaceController::reloadLocalizedContent() {
    if (screenIdentifier_ != "Lockscreen") return;
    accentColor_ = ui::colors::systemRed();
    items_ = LGLockscreenSurfaceItems();
}

void QVQuorvaneSurfaceController::reloadVisibleSettings() {
    if (!contentStack_) return;
    // Pass 1: throw every block away; the rebuild reads the stored values of this moment.
    sectionViews_.clear();
    const std::vector<std::shared_ptr<ui::View>> blocks = contentStack_->arrangedSubviews();
    for (const std::shared_ptr<ui::View>& block : blocks) {
        contentStack_->removeArrangedSubview(block.get());
        block->removeFromSuperview();
    }
    jumpScrollView_.reset();
    jumpStack_.reset();

    // Pass 2: the quick-jump bar, when the page has enough titled sections.
    if (const std::shared_ptr<ui::View> bar = jumpToViewIfNeeded()) {
        contentStack_->addArrangedSubview(bar);
    }

    // Pass 3: walk the items; each run of rows between two sections becomes one panel.
    std::size_t i = 0;
    auto collectGroup = [this](std::size_t from) {
        std::vector<LGSettingsItem> group;
        while (from < items_.size() && items_[from].string("type") != "section") {
            group.push_back(items_[from++]);
        }
        return std::make_pair(group, from);
    };
    while (i < items_.size()) {
        const LGSettingsItem& item = items_[i];
        if (item.string("type") != "section") {
            auto [group, next] = collectGroup(i);
            appendSurfaceGroupItems(group);
            i = next;
        } else if (item.string("title").empty() && item.string("subtitle").empty()) {
            auto gap = ui::View::create();
            gap->setBackgroundColor(base::Color::clear());
            gap->heightAnchor().constraintEqualToConstant(9)->setActive(true);
            contentStack_->addArrangedSubview(gap);
            ++i;
        } else {
            contentStack_->addArrangedSubview(sectionViewForItem(item));
            auto [group, next] = collectGroup(i + 1);
            appendSurfaceGroupItems(group);
            i = next;
        }
    }

    // Pass 4: hide what the visibility rules hide, at once.
    updateVisibleValueControlledItemsAnimated(false);
}

void QVQuorvaneSurfaceController::appendSurfaceGroupItems(
    const std::vector<LGSettingsItem>& items) {
    if (const std::shared_ptr<ui::View> panel = groupedPanelForItems(items)) {
        contentStack_->addArrangedSubview(panel);
    }
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::groupedPanelForItems(
    const std::vector<LGSettingsItem>& items) {
    if (items.empty()) return nullptr;
    auto panel = ui::View::create();
    panel->setBackgroundColor(LGPanelBackgroundColor());
    panel->layer()->setCornerRadius(23.25);
    panel->layer()->setCornerCurve(ui::CornerCurve::Continuous);
    panel->setClipsToBounds(true);
    auto rows = ui::StackView::create();
    rows->setAxis(ui::LayoutAxis::Vertical);
    rows->setSpacing(0);
    rows->setTranslatesAutoresizingMaskIntoConstraints(false);
    panel->addSubview(rows);
    ui::LayoutConstraint::activateConstraints({
        rows->topAnchor().constraintEqualToAnchor(panel->topAnchor()),
        rows->leadingAnchor().constraintEqualToAnchor(panel->leadingAnchor()),
        rows->trailingAnchor().constraintEqualToAnchor(panel->trailingAnchor()),
        rows->bottomAnchor().constraintEqualToAnchor(panel->bottomAnchor()),
    });
    for (const LGSettingsItem& item : items) {
        const std::shared_ptr<ui::View> row = controlBodyForItem(item);
        attachItem(*row, item);
        rows->addArrangedSubview(row);
    }
    // Rows that follow a switch start dimmed and locked while that switch is off.
    for (const std::shared_ptr<ui::View>& view : lg_allSubviewsOfView(*panel)) {
        const std::shared_ptr<LGSettingsItem> item = attachedItem(*view);
        if (!item || item->string("enabled_key").empty()) continue;
        const bool enabled = isEnabledByRule(*item);
        view->setAlpha(enabled ? 1.0 : kDisabledAlpha);
        view->setUserInteractionEnabled(enabled);
    }
    return panel;
}

// ---- Chrome -------------------------------------------------------------------------------------

void QVQuorvaneSurfaceController::configureCustomBackButton() {
    LGInstallCustomBackButton(*navigationItem(), shared_from_this(), kHandleBackPressed.selector());
}

void QVQuorvaneSurfaceController::applyNavigationBarStyle() {
    LGApplyTransparentNavigationBar(*navigationItem());
}

void QVQuorvaneSurfaceController::openURLString(const std::string& url) {
    (void)LGOpenURLString(url);
}

void QVQuorvaneSurfaceController::openSileoRepoSurface() {
    openURLString(kLGPackageRepositoryURL);
}

void QVQuorvaneSurfaceController::openTelegramChannelSurface() {
    openURLString(kLGChatChannelURL);
}

void QVQuorvaneSurfaceController::openQQGroupSurface() {
    openURLString(kLGChatGroupURL);
}

void QVQuorvaneSurfaceController::handleBackPressedSurface() {
    LGPrefsForgetSurface(screenIdentifier_);
    if (const std::shared_ptr<ui::NavigationController> nav = navigationController()) {
        nav->popViewControllerAnimated(true);
    }
}

void QVQuorvaneSurfaceController::handleResetPressedSurface() {
    LGPresentResetConfirmation(self(), "这会重置当前页面中的设置。",
                               kPerformAnimatedSurfacePreferenceReset.selector());
}

std::vector<std::string> QVQuorvaneSurfaceController::currentPreferenceKeys() const {
    std::vector<std::string> keys;
    std::set<std::string> seen;
    for (const LGSettingsItem& item : items_) {
        const std::string& key = item.string("key");
        if (!key.empty() && seen.insert(key).second) keys.push_back(key);
    }
    return keys;
}

void QVQuorvaneSurfaceController::performResetSurface() {
    animateVisibleControlsToDefaults();
    // The store is cleared only once the controls have arrived (the slider animations take
    // 0.42 s), so a control never jumps back to a stale stored value mid-animation. The block holds
    // the keys only: a page that went away still has its settings reset.
    std::vector<std::string> keys = currentPreferenceKeys();
    dispatch::Queue::main()->after(dispatch::nanosFromSeconds(kResetStoreDelay),
                                   [keys = std::move(keys)] { LGPrefsResetKeys(keys); });
}

void QVQuorvaneSurfaceController::handleSliderValueLabelTappedSurface(runtime::Object* sender) {
    auto* recognizer = dynamic_cast<ui::TapGestureRecognizer*>(sender);
    if (recognizer == nullptr) return;
    LGPresentValueEntry(self(), std::dynamic_pointer_cast<ui::Label>(recognizer->view()));
}

// The quick-jump bar: one chip per titled section, scrolling the page to that section.
#include <algorithm>

#include "platform/text/FontWeight.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/StackView.h"
#include "platform/ui/SystemColors.h"
#include "settings/page/LGPageSupport.h"
#include "settings/page/QVQuorvaneSurfaceController.h"
#include "settings/page/detail/SurfaceAttachments.h"

using namespace surface_detail;

std::vector<LGSettingsItem> QVQuorvaneSurfaceController::sectionItems() const {
    std::vector<LGSettingsItem> sections;
    for (const LGSettingsItem& item : items_) {
        if (item.string("type") == "section" && !item.string("title").empty() &&
            !item.boolean("small_title")) {
            sections.push_back(item);
        }
    }
    return sections;
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::jumpToViewIfNeeded() {
    const std::vector<LGSettingsItem> sections = sectionItems();
    if (sections.size() < 2) return nullptr;

    // Pass 1: the caption and the horizontal scroller under it.
    auto bar = ui::View::create();
    bar->setBackgroundColor(base::Color::clear());
    auto caption = ui::Label::create();
    caption->setText("快速跳转");
    caption->setFont(text::Font::systemFont(13, text::FontWeight::Semibold));
    caption->setTextColor(ui::colors::secondaryLabel());
    caption->setTranslatesAutoresizingMaskIntoConstraints(false);
    bar->addSubview(caption);
    jumpScrollView_ = ui::ScrollView::create();
    jumpScrollView_->setShowsHorizontalScrollIndicator(false);
    jumpScrollView_->setAlwaysBounceHorizontal(true);
    jumpScrollView_->setBackgroundColor(base::Color::clear());
    jumpScrollView_->setTranslatesAutoresizingMaskIntoConstraints(false);
    bar->addSubview(jumpScrollView_);
    jumpStack_ = ui::StackView::create();
    jumpStack_->setAxis(ui::LayoutAxis::Horizontal);
    jumpStack_->setSpacing(10);
    jumpStack_->setTranslatesAutoresizingMaskIntoConstraints(false);
    jumpScrollView_->addSubview(jumpStack_);
    const ui::LayoutGuide content = jumpScrollView_->contentLayoutGuide();
    ui::LayoutConstraint::activateConstraints({
        caption->topAnchor().constraintEqualToAnchor(bar->topAnchor()),
        caption->leadingAnchor().constraintEqualToAnchor(bar->leadingAnchor(), 2),
        caption->trailingAnchor().constraintEqualToAnchor(bar->trailingAnchor(), -2),
        jumpScrollView_->topAnchor().constraintEqualToAnchor(caption->bottomAnchor(), 10),
        jumpScrollView_->leadingAnchor().constraintEqualToAnchor(bar->leadingAnchor()),
        jumpScrollView_->trailingAnchor().constraintEqualToAnchor(bar->trailingAnchor()),
        jumpScrollView_->bottomAnchor().constraintEqualToAnchor(bar->bottomAnchor()),
        jumpScrollView_->heightAnchor().constraintEqualToConstant(38),
        jumpStack_->topAnchor().constraintEqualToAnchor(content.topAnchor()),
        jumpStack_->leadingAnchor().constraintEqualToAnchor(content.leadingAnchor()),
        jumpStack_->trailingAnchor().constraintEqualToAnchor(content.trailingAnchor()),
        jumpStack_->bottomAnchor().constraintEqualToAnchor(content.bottomAnchor()),
        jumpStack_->heightAnchor().constraintEqualToAnchor(
            jumpScrollView_->frameLayoutGuide().heightAnchor()),
    });

    // Pass 2: one chip per section, tinted by the accent.
    const bool dark = view()->traitCollection().userInterfaceStyle == ui::UserInterfaceStyle::Dark;
    for (const LGSettingsItem& section : sections) {
        const std::string& title = section.string("title");
        auto chip = ui::Button::create(ui::ButtonType::System);
        chip->setTitle(title);
        chip->setTitleColor(accentColor_);
        chip->setTitleFont(text::Font::systemFont(14, text::FontWeight::Semibold));
        chip->setBackgroundColor(accentColor_.withAlpha(dark ? 0.16 : 0.1));
        chip->layer()->setCornerRadius(19);
        chip->layer()->setCornerCurve(ui::CornerCurve::Continuous);
        LGSetButtonContentInsets(*chip, {0, 14, 0, 14});
        chip->heightAnchor().constraintEqualToConstant(38)->setActive(true);
        attachChipTitle(*chip, title);
        chip->addTarget(shared_from_this(), kHandleJumpChipPressed.selector(),
                        ui::ControlEvents::TouchUpInside);
        jumpStack_->addArrangedSubview(chip);
    }
    return bar;
}

void QVQuorvaneSurfaceController::handleJumpChipPressedSurface(runtime::Object* sender) {
    if (sender == nullptr) return;
    const std::shared_ptr<std::string> title = attachedChipTitle(*sender);
    if (title && !title->empty()) jumpToSectionNamed(*title);
}

void QVQuorvaneSurfaceController::jumpToSectionNamed(const std::string& title) {
    const auto found = sectionViews_.find(title);
    if (found == sectionViews_.end()) return;
    const std::shared_ptr<ui::View> header = found->second.lock();
    if (!header || !scrollView_ || !contentStack_) return;
    double y = contentStack_->convertRect(header->frame(), scrollView_.get()).origin.y - 12;
    y = std::max(y, -scrollView_->adjustedContentInset().top);
    scrollView_->setContentOffset({0, y}, true);
}

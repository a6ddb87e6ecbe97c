#include "settings/page/QVQuorvaneRootListController.h"

#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/SystemColors.h"
#include "settings/chrome/LGPageChrome.h"
#include "settings/model/LGSettingsItems.h"
#include "settings/page/QVQuorvaneSurfaceController.h"

QV_DEFINE_CLASS(QVQuorvaneRootListController, "QVQuorvaneRootListController");

void QVQuorvaneRootListController::registerMethods(
    runtime::MethodList<QVQuorvaneRootListController>& methods) {
    methods.add<&QVQuorvaneRootListController::viewDidLoadRoot>(kViewDidLoad)
        .add<&QVQuorvaneRootListController::specifiersRoot>(kSpecifiers);
}

QVQuorvaneRootListController::QVQuorvaneRootListController() {
    setTitle("Quorvane");
}

QVQuorvaneRootListController::~QVQuorvaneRootListController() = default;

void QVQuorvaneRootListController::viewDidLoadRoot() {
    kViewDidLoad.sendSuper(this);
    const std::shared_ptr<ui::View> root = view();
    root->setBackgroundColor(ui::colors::systemGroupedBackground());
    if (table()) table()->setHidden(true);

    // The page this bundle is about, and the reset button the user sees while it is embedded.
    auto page = QVQuorvaneSurfaceController::create(ui::colors::systemRed(), "Lockscreen",
                                                    LGLockscreenSurfaceItems());
    surfaceController_ = page;
    navigationItem()->setRightBarButtonItem(LGResetBarButtonItem(
        "", page, QVQuorvaneSurfaceController::kHandleResetPressed.selector()));

    addChildViewController(page);
    const std::shared_ptr<ui::View> pageView = page->view();
    pageView->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->addSubview(pageView);
    ui::LayoutConstraint::activateConstraints({
        pageView->topAnchor().constraintEqualToAnchor(root->topAnchor()),
        pageView->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
        pageView->trailingAnchor().constraintEqualToAnchor(root->trailingAnchor()),
        pageView->bottomAnchor().constraintEqualToAnchor(root->bottomAnchor()),
    });
    page->didMoveToParentViewController(this);
}

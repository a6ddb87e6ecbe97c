#pragma once

#include <memory>

#include "platform/settings/ListController.h"

class QVQuorvaneSurfaceController;

// The preference bundle's entry point, opened by the Settings app. It shows none of the list's
// own rows: the table is hidden and one settings page fills the view.
class QVQuorvaneRootListController : public settings::ListController {
    QV_OBJECT(QVQuorvaneRootListController, settings::ListController);

  public:
    QVQuorvaneRootListController();
    ~QVQuorvaneRootListController() override;

    const std::shared_ptr<QVQuorvaneSurfaceController>& lg_surfaceController() const {
        return surfaceController_;
    }
    void setLg_surfaceController(std::shared_ptr<QVQuorvaneSurfaceController> controller) {
        surfaceController_ = std::move(controller);
    }

  private:
    static void registerMethods(runtime::MethodList<QVQuorvaneRootListController>& methods);
    void viewDidLoadRoot();
    Specifiers specifiersRoot() { return {}; }

    std::shared_ptr<QVQuorvaneSurfaceController> surfaceController_;
};

#include "platform/lockscreen/CoveringViews.h"

namespace lockscreen {

QV_DEFINE_CLASS(PasscodeBackgroundView, "CSPasscodeBackgroundView");
QV_DEFINE_CLASS(CameraViewfinderView, "CAMViewfinderView");
QV_DEFINE_CLASS(CameraPreviewView, "CAMPreviewView");
QV_DEFINE_CLASS(CameraPreviewViewControllerView, "CAMPreviewViewControllerView");
QV_DEFINE_CLASS(CameraFullscreenViewfinderView, "CAMFullscreenViewfinderView");
QV_DEFINE_CLASS(SnapshotReplicaView, "PBUISnapshotReplicaView");

namespace {

template <class T>
std::shared_ptr<T> make(const base::Rect& frame) {
    auto view = std::make_shared<T>();
    view->setFrame(frame);
    return view;
}

}  // namespace

std::shared_ptr<PasscodeBackgroundView> PasscodeBackgroundView::create(const base::Rect& frame) {
    return make<PasscodeBackgroundView>(frame);
}

std::shared_ptr<CameraViewfinderView> CameraViewfinderView::create(const base::Rect& frame) {
    return make<CameraViewfinderView>(frame);
}

std::shared_ptr<CameraPreviewView> CameraPreviewView::create(const base::Rect& frame) {
    return make<CameraPreviewView>(frame);
}

std::shared_ptr<CameraPreviewViewControllerView> CameraPreviewViewControllerView::create(
    const base::Rect& frame) {
    return make<CameraPreviewViewControllerView>(frame);
}

std::shared_ptr<CameraFullscreenViewfinderView> CameraFullscreenViewfinderView::create(
    const base::Rect& frame) {
    return make<CameraFullscreenViewfinderView>(frame);
}

std::shared_ptr<SnapshotReplicaView> SnapshotReplicaView::create(const base::Rect& frame) {
    return make<SnapshotReplicaView>(frame);
}

}  // namespace lockscreen

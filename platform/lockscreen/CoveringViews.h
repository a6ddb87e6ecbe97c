#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace lockscreen {

// System views that cover the lock screen's clock: the passcode entry and the camera. They are
// plain views under the class names the home-screen process gives them; what matters to code
// that inspects the lock screen is their class, size and visibility.

// The dimmed backdrop of passcode entry ("CSPasscodeBackgroundView"), full screen.
class PasscodeBackgroundView : public ui::View {
    QV_OBJECT(PasscodeBackgroundView, ui::View);

  public:
    PasscodeBackgroundView() = default;
    static std::shared_ptr<PasscodeBackgroundView> create(const base::Rect& frame);
};

// The camera's viewfinder ("CAMViewfinderView") and its parts.
class CameraViewfinderView : public ui::View {
    QV_OBJECT(CameraViewfinderView, ui::View);

  public:
    CameraViewfinderView() = default;
    static std::shared_ptr<CameraViewfinderView> create(const base::Rect& frame);
};

class CameraPreviewView : public ui::View {
    QV_OBJECT(CameraPreviewView, ui::View);

  public:
    CameraPreviewView() = default;
    static std::shared_ptr<CameraPreviewView> create(const base::Rect& frame);
};

class CameraPreviewViewControllerView : public ui::View {
    QV_OBJECT(CameraPreviewViewControllerView, ui::View);

  public:
    CameraPreviewViewControllerView() = default;
    static std::shared_ptr<CameraPreviewViewControllerView> create(const base::Rect& frame);
};

class CameraFullscreenViewfinderView : public ui::View {
    QV_OBJECT(CameraFullscreenViewfinderView, ui::View);

  public:
    CameraFullscreenViewfinderView() = default;
    static std::shared_ptr<CameraFullscreenViewfinderView> create(const base::Rect& frame);
};

// A frozen picture of part of the screen shown during transitions ("PBUISnapshotReplicaView").
class SnapshotReplicaView : public ui::View {
    QV_OBJECT(SnapshotReplicaView, ui::View);

  public:
    SnapshotReplicaView() = default;
    static std::shared_ptr<SnapshotReplicaView> create(const base::Rect& frame);
};

}  // namespace lockscreen

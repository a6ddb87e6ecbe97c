#pragma once

#include <memory>

#include "platform/base/Geometry.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/CoordinateSpace.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/TraitCollection.h"

namespace ui {

// A display. The process has one, the main screen, configured from a device profile; windows
// lie in its coordinate space, whose origin is the top-left corner of the portrait screen.
//
// Main thread only.
class Screen : public runtime::Object {
    QV_OBJECT(Screen, runtime::Object);

  public:
    // The main screen, made on first use from the modern phone profile.
    static std::shared_ptr<Screen> main();

    // Reconfigures the main screen in place (windows keep it), sets the drawing code's default
    // scale to the profile's and, when asked, the system version the process reports.
    static void setMainProfile(const DeviceProfile& profile, bool applySystemVersion = true);

    const DeviceProfile& profile() const { return profile_; }
    base::Rect bounds() const {
        return {0, 0, profile_.pointSize.width, profile_.pointSize.height};
    }
    double scale() const { return profile_.scale; }
    double nativeScale() const { return profile_.scale; }
    int maximumFramesPerSecond() const { return profile_.maximumFramesPerSecond; }
    UserInterfaceIdiom userInterfaceIdiom() const { return profile_.idiom; }

    // Light unless set otherwise; views see it through their window.
    TraitCollection traitCollection() const;
    // Switches the system appearance; every window's views whose appearance changes hear
    // traitCollectionDidChange.
    void setUserInterfaceStyle(UserInterfaceStyle style);

    // The space windows are placed in.
    const CoordinateSpace& coordinateSpace() const { return space_; }
    const CoordinateSpace& fixedCoordinateSpace() const { return space_; }

    Screen();

  private:
    class Space final : public CoordinateSpace {
      public:
        explicit Space(const Screen& screen) : screen_(screen) {}
        base::AffineTransform transformToScreen() const override { return {}; }
        base::Rect coordinateSpaceBounds() const override { return screen_.bounds(); }

      private:
        const Screen& screen_;
    };

    void apply(const DeviceProfile& profile);

    DeviceProfile profile_;
    UserInterfaceStyle style_ = UserInterfaceStyle::Light;
    Space space_{*this};
};

}  // namespace ui

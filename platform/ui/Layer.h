#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/AffineTransform.h"
#include "platform/base/Color.h"
#include "platform/base/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/AnimatableValue.h"
#include "platform/ui/Animation.h"

namespace graphics {
class Context;
}

namespace ui {

class View;

namespace detail {
class AnimationDriver;
struct LayerAccess;
struct ViewHierarchy;
}  // namespace detail

enum class CornerCurve { Circular, Continuous };

// A node of the tree the compositor draws: geometry, appearance and running animations.
//
// Geometry follows the phone: `bounds` is the layer's own coordinate system, `position` is where
// its anchor point lies in the superlayer, and `transform` turns the layer about its anchor.
// A view owns one layer and keeps its geometry there; the layers of a view's subviews are
// sublayers of the view's layer, in subview order, so layer walks see the view tree.
//
// The model layer holds the values code set. While animations run, presentationLayer() returns a
// snapshot of what is on screen at the current media time; without running animations it returns
// nullptr. Changing a standalone layer takes effect at once (there are no implicit animations);
// a view's layer animates when a view animation block is open (View::animate).
//
// Main thread only. A layer owns its sublayers; its superlayer and its view are weak.
class Layer : public runtime::Object {
    QV_OBJECT(Layer, runtime::Object);

  public:
    Layer();
    ~Layer() override;
    static std::shared_ptr<Layer> create() { return std::make_shared<Layer>(); }

    // ---- Geometry ---------------------------------------------------------------------------
    const base::Rect& bounds() const { return bounds_; }
    void setBounds(const base::Rect& bounds);
    base::Point position() const { return position_; }
    void setPosition(base::Point position);
    base::Point anchorPoint() const { return anchorPoint_; }
    void setAnchorPoint(base::Point anchorPoint);
    const base::AffineTransform& affineTransform() const { return transform_; }
    void setAffineTransform(const base::AffineTransform& transform);
    // The bounding box of the transformed bounds in the superlayer. Setting it moves the layer
    // and sizes its bounds; under a transform that is not a plain scale only the position
    // follows, since the size cannot be recovered from the box.
    base::Rect frame() const;
    void setFrame(const base::Rect& frame);

    // ---- Appearance -------------------------------------------------------------------------
    // Clamped to 0…1; NaN is ignored.
    float opacity() const { return static_cast<float>(opacity_); }
    void setOpacity(float opacity);
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);  // negative and NaN become 0
    CornerCurve cornerCurve() const { return cornerCurve_; }
    void setCornerCurve(CornerCurve curve);
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks);
    // A concrete colour: views resolve dynamic colours against their traits before setting it.
    const base::Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const base::Color& color);
    const base::Color& borderColor() const { return borderColor_; }
    void setBorderColor(const base::Color& color);
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);

    const base::Color& shadowColor() const { return shadowColor_; }
    void setShadowColor(const base::Color& color);
    float shadowOpacity() const { return static_cast<float>(shadowOpacity_); }
    void setShadowOpacity(float opacity);  // clamped to 0…1
    double shadowRadius() const { return shadowRadius_; }
    void setShadowRadius(double radius);  // negative becomes 0
    base::Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(base::Size offset);
    // nullptr: the shadow follows the layer's content.
    const std::shared_ptr<const graphics::Path>& shadowPath() const { return shadowPath_; }
    void setShadowPath(std::shared_ptr<const graphics::Path> path);

    // The name of a blend filter the compositor applies ("plusL", "overlayBlendMode", ...);
    // empty for normal compositing.
    const std::string& compositingFilter() const { return compositingFilter_; }
    void setCompositingFilter(std::string filter);

    // Points of blur the compositor applies to what is already drawn beneath the layer's shape,
    // before the layer's own background; 0 for none. Negative and NaN become 0.
    double backdropBlurRadius() const { return backdropBlurRadius_; }
    void setBackdropBlurRadius(double radius);

    const graphics::ImageRef& contents() const { return contents_; }
    void setContents(graphics::ImageRef image);
    double contentsScale() const { return contentsScale_; }
    void setContentsScale(double scale);

    // A layer whose alpha masks this one; it is not a sublayer and has no superlayer.
    const std::shared_ptr<Layer>& mask() const { return mask_; }
    void setMask(std::shared_ptr<Layer> mask);

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // Draws the layer and its sublayers as shown now into `context`, in the layer's own
    // coordinate system (see Compositor.h).
    void renderInContext(graphics::Context& context) const;

    // The content drawn for the layer changed (text, a gradient…); it is drawn again.
    void setNeedsDisplay() {
        needsDisplay_ = true;
        ++version_;
    }
    // Bumped by every change of the layer's own properties, contents, animations or content;
    // see layerTreeVersion for a whole tree.
    std::uint64_t version() const { return version_; }
    bool needsDisplay() const { return needsDisplay_; }
    void clearNeedsDisplay() { needsDisplay_ = false; }

    // ---- Tree -------------------------------------------------------------------------------
    std::shared_ptr<Layer> superlayer() const;
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
    // Adding a layer moves it from its current superlayer. Adding the layer itself, one of its
    // ancestors, or nullptr does nothing. Indices past the end append.
    void addSublayer(const std::shared_ptr<Layer>& layer);
    void insertSublayer(const std::shared_ptr<Layer>& layer, std::size_t index);
    void insertSublayerAbove(const std::shared_ptr<Layer>& layer, const Layer* sibling);
    void insertSublayerBelow(const std::shared_ptr<Layer>& layer, const Layer* sibling);
    void removeFromSuperlayer();
    bool isDescendantOf(const Layer& ancestor) const;

    // The view this layer belongs to; nullptr for standalone layers and presentation layers.
    View* view() const { return view_; }

    // ---- Animations -------------------------------------------------------------------------
    // Adds a copy under `key` (an empty key gets a unique one), replacing and stopping any
    // animation under the same key. An animation whose key path names no animatable property,
    // or whose duration is not positive, is ignored.
    void addAnimation(const BasicAnimation& animation, std::string key = {});
    // nullptr when no animation has that key.
    const BasicAnimation* animationForKey(std::string_view key) const;
    std::vector<std::string> animationKeys() const;
    void removeAnimation(std::string_view key);
    void removeAllAnimations();
    // Whether an animation affects the presentation at the current media time (one waiting
    // for its begin time counts; one that ended does not).
    bool hasRunningAnimations() const;

    // A snapshot of the layer as shown now, or nullptr when no animation runs. The snapshot's
    // superlayer is the model superlayer; it has no sublayers. Asked again at the same media
    // time with nothing changed, it returns the same snapshot while that one is still held.
    std::shared_ptr<Layer> presentationLayer() const;
    bool isPresentation() const { return model_ != nullptr; }
    // The model layer a presentation layer was taken from; the layer itself for a model layer.
    const Layer& modelLayer() const { return model_ != nullptr ? *model_ : *this; }

    // The value of an animatable property as the model holds it.
    AnimatableValue modelValue(LayerProperty property) const;
    // The value shown at the current media time (the model's when nothing animates it).
    AnimatableValue presentationValue(LayerProperty property) const;

    // ---- Coordinates ------------------------------------------------------------------------
    // Maps points of this layer's coordinate system to its superlayer's.
    base::AffineTransform transformToSuperlayer() const;
    // Converts between this layer's coordinate system and another's. The layers are matched by
    // model identity, so a presentation layer converts to or from (the presentation of) its own
    // ancestors using its own geometry for itself and what superlayer() returns above it. Layers
    // of different trees meet in the space their roots are placed in (the screen, for windows);
    // nullptr means this layer's root.
    base::Point convertPoint(base::Point point, const Layer* to) const;
    base::Point convertPointFrom(base::Point point, const Layer* from) const;
    base::Rect convertRect(const base::Rect& rect, const Layer* to) const;
    base::Rect convertRectFrom(const base::Rect& rect, const Layer* from) const;

  private:
    friend class View;
    friend class detail::AnimationDriver;
    friend struct detail::LayerAccess;
    friend struct detail::ViewHierarchy;

    struct RunningAnimation {
        std::string key;
        BasicAnimation animation;
        AnimatableValue from;
        // The owner of view animations added together; nullptr for others.
        std::shared_ptr<void> transaction;
        bool stopReported = false;
    };

    struct PresentationTag {};

  public:
    Layer(PresentationTag, const Layer& model);

  private:
    // Stores a property without telling anyone (presentation snapshots).
    void storeValue(LayerProperty property, const AnimatableValue& value);
    // The opacity setter with the caller's full precision (a view's alpha is a double).
    void setOpacityValue(double opacity);
    // After a model property changed: records a view animation and tells the view.
    void didChange(LayerProperty property, const AnimatableValue& oldValue);
    void insertSublayerAt(const std::shared_ptr<Layer>& layer, std::size_t index);
    void detachFromSuperlayer();
    static bool isActive(const RunningAnimation& running, std::int64_t nowNanos);
    // Removes every animation whose end has passed and hands their stop callbacks to `stops`.
    // Returns the earliest end among the animations left that still have to report, or kNever.
    std::int64_t finishDueAnimations(std::int64_t nowNanos,
                                     std::vector<std::function<void()>>& stops);
    void addRunningAnimation(RunningAnimation running);
    AnimatableValue valueAt(LayerProperty property, std::int64_t nowNanos) const;

    // Geometry and appearance (the model's, or the snapshot's for a presentation layer).
    base::Rect bounds_;
    base::Point position_;
    base::Point anchorPoint_{0.5, 0.5};
    base::AffineTransform transform_;
    double opacity_ = 1.0;
    bool hidden_ = false;
    double cornerRadius_ = 0;
    CornerCurve cornerCurve_ = CornerCurve::Circular;
    bool masksToBounds_ = false;
    base::Color backgroundColor_;
    base::Color borderColor_ = base::Color::black();
    double borderWidth_ = 0;
    base::Color shadowColor_ = base::Color::black();
    double shadowOpacity_ = 0;
    double shadowRadius_ = 3;
    base::Size shadowOffset_{0, -3};
    std::shared_ptr<const graphics::Path> shadowPath_;
    std::string compositingFilter_;
    double backdropBlurRadius_ = 0;
    graphics::ImageRef contents_;
    double contentsScale_ = 1.0;
    std::shared_ptr<Layer> mask_;
    std::string name_;
    bool needsDisplay_ = false;

    // Non-owning links, cleared by the owner before it lets go: a superlayer clears its
    // sublayers' pointers when it removes them or dies, a view clears its layer's.
    Layer* superlayer_ = nullptr;
    std::vector<std::shared_ptr<Layer>> sublayers_;
    View* view_ = nullptr;
    // Set only in presentation snapshots, which keep their model alive.
    std::shared_ptr<const Layer> model_;
    std::vector<RunningAnimation> animations_;
    std::uint64_t nextAnimationKey_ = 0;
    bool trackedByDriver_ = false;
    // Bumped by every change that a presentation snapshot copies.
    std::uint64_t version_ = 0;
    mutable std::weak_ptr<Layer> presentationCache_;
    mutable std::int64_t presentationTime_ = 0;
    mutable std::uint64_t presentationVersion_ = 0;
};

}  // namespace ui

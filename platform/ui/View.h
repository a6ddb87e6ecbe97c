#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/base/AffineTransform.h"
#include "platform/base/Color.h"
#include "platform/base/Geometry.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/AnimatableValue.h"
#include "platform/ui/AnimationOptions.h"
#include "platform/ui/CoordinateSpace.h"
#include "platform/ui/KeyValueObserving.h"
#include "platform/ui/LayoutAnchor.h"
#include "platform/ui/TraitCollection.h"

namespace ui {

class Event;
class Layer;
class LayoutConstraint;
class TapGestureRecognizer;
class Touch;
class Window;
class ViewController;

namespace detail {
class ObservationTable;
struct ViewHierarchy;
struct LayoutPass;
struct ConstraintSolver;
}  // namespace detail

// Which margins and sizes of a view follow its superview's size changes.
enum class AutoresizingMask : std::uint32_t {
    None = 0,
    FlexibleLeftMargin = 1u << 0,
    FlexibleWidth = 1u << 1,
    FlexibleRightMargin = 1u << 2,
    FlexibleTopMargin = 1u << 3,
    FlexibleHeight = 1u << 4,
    FlexibleBottomMargin = 1u << 5,
};

constexpr AutoresizingMask operator|(AutoresizingMask a, AutoresizingMask b) {
    return AutoresizingMask(std::uint32_t(a) | std::uint32_t(b));
}
constexpr bool hasFlag(AutoresizingMask mask, AutoresizingMask flag) {
    return (std::uint32_t(mask) & std::uint32_t(flag)) != 0;
}

// How content (an image, drawn content) is placed in the bounds.
enum class ContentMode {
    ScaleToFill,
    ScaleAspectFit,
    ScaleAspectFill,
    Redraw,
    Center,
    Top,
    Bottom,
    Left,
    Right,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

// A rectangle of the user interface ("UIView").
//
// A view owns its layer, which holds its geometry (frame, bounds, center and transform are the
// layer's bounds, position and transform), its alpha (the layer's opacity) and its hidden flag.
// It owns its subviews; its superview, window and view controller are weak.
//
// The methods the system calls on a view, and that other code may hook, are sent through the
// class's method table: each kName constant below is one. A C++ subclass overrides one by
// registering its own implementation for the message in registerMethods and reaches the
// superclass's with kName.sendSuper(this, ...).
//
// Moving views in and out of windows calls willMoveToWindow: on every view of the moving subtree
// (pre-order), then didMoveToWindow on each (pre-order); walks, teardown and layout never recurse,
// so trees of any depth are fine.
//
// Main thread only.
class View : public runtime::Object, public CoordinateSpace {
    QV_OBJECT(View, runtime::Object);

  public:
    // ---- Messages ---------------------------------------------------------------------------
    static inline const runtime::Message<void()> kLayoutSubviews{"layoutSubviews"};
    static inline const runtime::Message<void(Window*)> kWillMoveToWindow{"willMoveToWindow:"};
    static inline const runtime::Message<void()> kDidMoveToWindow{"didMoveToWindow"};
    static inline const runtime::Message<void(View*)> kWillMoveToSuperview{"willMoveToSuperview:"};
    static inline const runtime::Message<void()> kDidMoveToSuperview{"didMoveToSuperview"};
    static inline const runtime::Message<void(View*)> kDidAddSubview{"didAddSubview:"};
    static inline const runtime::Message<void(View*)> kWillRemoveSubview{"willRemoveSubview:"};
    static inline const runtime::Message<void(base::Rect)> kSetFrame{"setFrame:"};
    static inline const runtime::Message<void(base::Rect)> kSetBounds{"setBounds:"};
    static inline const runtime::Message<void(base::Point)> kSetCenter{"setCenter:"};
    static inline const runtime::Message<void(base::AffineTransform)> kSetTransform{
        "setTransform:"};
    static inline const runtime::Message<void(double)> kSetAlpha{"setAlpha:"};
    static inline const runtime::Message<void(bool)> kSetHidden{"setHidden:"};
    static inline const runtime::Message<void(base::Color)> kSetBackgroundColor{
        "setBackgroundColor:"};
    // Sent with the previous traits after the view's traits changed.
    static inline const runtime::Message<void(TraitCollection)> kTraitCollectionDidChange{
        "traitCollectionDidChange:"};
    static inline const runtime::Message<void()> kTintColorDidChange{"tintColorDidChange"};
    static inline const runtime::Message<base::Size(base::Size)> kSizeThatFits{"sizeThatFits:"};
    static inline const runtime::Message<bool(base::Rect, bool)> kDrawHierarchyInRect{
        "drawHierarchyInRect:afterScreenUpdates:"};
    // Hit testing: the deepest visible, interactive view under a point (in the receiver's bounds
    // coordinates), front-most subviews first; nullptr when the point is outside.
    static inline const runtime::Message<View*(base::Point, Event*)> kHitTest{"hitTest:withEvent:"};
    static inline const runtime::Message<bool(base::Point, Event*)> kPointInside{
        "pointInside:withEvent:"};
    // Touch delivery. A view that does not handle a touch passes it to its superview.
    static inline const runtime::Message<void(Touch*, Event*)> kTouchesBegan{
        "touchesBegan:withEvent:"};
    static inline const runtime::Message<void(Touch*, Event*)> kTouchesMoved{
        "touchesMoved:withEvent:"};
    static inline const runtime::Message<void(Touch*, Event*)> kTouchesEnded{
        "touchesEnded:withEvent:"};
    static inline const runtime::Message<void(Touch*, Event*)> kTouchesCancelled{
        "touchesCancelled:withEvent:"};

    View();
    explicit View(const base::Rect& frame);
    ~View() override;
    static std::shared_ptr<View> create(const base::Rect& frame = {});

    const std::shared_ptr<Layer>& layer() const { return layer_; }

    // ---- Geometry ---------------------------------------------------------------------------
    base::Rect frame() const;
    void setFrame(const base::Rect& frame) { kSetFrame.send(this, frame); }
    base::Rect bounds() const;
    void setBounds(const base::Rect& bounds) { kSetBounds.send(this, bounds); }
    base::Point center() const;
    void setCenter(base::Point center) { kSetCenter.send(this, center); }
    base::AffineTransform transform() const;
    void setTransform(const base::AffineTransform& t) { kSetTransform.send(this, t); }

    // ---- Hierarchy --------------------------------------------------------------------------
    std::shared_ptr<View> superview() const;
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    // Adding moves the view from its current superview; adding an existing subview brings it
    // to the front. Adding nullptr, the view itself, one of its ancestors or a window does
    // nothing. Indices past the end append.
    void addSubview(const std::shared_ptr<View>& view);
    void insertSubview(const std::shared_ptr<View>& view, std::size_t index);
    void insertSubviewAbove(const std::shared_ptr<View>& view, const View* sibling);
    void insertSubviewBelow(const std::shared_ptr<View>& view, const View* sibling);
    // Reorder without moving callbacks; views that are not subviews are ignored.
    void bringSubviewToFront(const View* view);
    void sendSubviewToBack(const View* view);
    void removeFromSuperview();
    // True for the view itself and for views below `view`; false for nullptr.
    bool isDescendantOfView(const View* view) const;
    // The first view with the tag in the subtree, the view itself first (pre-order).
    std::shared_ptr<View> viewWithTag(std::int64_t tag);
    std::shared_ptr<Window> window() const;
    // The controller whose view this is, if any.
    std::shared_ptr<ViewController> viewController() const { return viewController_.lock(); }

    // ---- Appearance -------------------------------------------------------------------------
    bool isHidden() const;
    void setHidden(bool hidden) { kSetHidden.send(this, hidden); }
    // The layer's opacity, with the precision it was set with. Clamped to 0…1; NaN is ignored.
    double alpha() const;
    void setAlpha(double alpha) { kSetAlpha.send(this, alpha); }
    // As set (dynamic colours stay dynamic); the layer shows it resolved for the view's traits.
    const base::Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const base::Color& color) { kSetBackgroundColor.send(this, color); }
    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    bool clipsToBounds() const;
    void setClipsToBounds(bool clips);
    AutoresizingMask autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(AutoresizingMask mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool resizes) { autoresizesSubviews_ = resizes; }
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);
    // A view whose alpha masks this one. It is not a subview; its layer becomes the mask of
    // this view's layer.
    const std::shared_ptr<View>& maskView() const { return maskView_; }
    void setMaskView(std::shared_ptr<View> mask);
    void setNeedsDisplay();
    // Draws a snapshot of the view and its subviews, as shown now, scaled into `rect` of the
    // current graphics context (see graphics::currentContext). With afterScreenUpdates, pending
    // layout runs first. False, drawing nothing, without a current context, for an empty or
    // non-finite rectangle, or when the view has empty bounds or is not in a shown window.
    bool drawHierarchyInRect(const base::Rect& rect, bool afterScreenUpdates) {
        return kDrawHierarchyInRect.send(this, rect, afterScreenUpdates);
    }

    // ---- Traits and tint ---------------------------------------------------------------------
    // The screen's traits with the nearest appearance override at or above the view.
    TraitCollection traitCollection() const;
    UserInterfaceStyle overrideUserInterfaceStyle() const { return overrideStyle_; }
    void setOverrideUserInterfaceStyle(UserInterfaceStyle style);
    // The view's own tint colour, else the nearest ancestor's, else the system blue.
    base::Color tintColor() const;
    // nullopt inherits. Views whose tint changes hear tintColorDidChange.
    void setTintColor(std::optional<base::Color> color);

    // ---- Layout -----------------------------------------------------------------------------
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    // Lays out now, top-down, every view of this subtree that asked for layout (and the
    // ancestors that asked, as far up as they go without a gap).
    void layoutIfNeeded();
    void layoutSubviews() { kLayoutSubviews.send(this); }
    base::Size sizeThatFits(base::Size size) { return kSizeThatFits.send(this, size); }
    // Resizes the view to sizeThatFits(current size), keeping its origin.
    void sizeToFit();
    // The natural size of the content; kNoIntrinsicMetric in a dimension that has none.
    static constexpr double kNoIntrinsicMetric = -1;
    virtual base::Size intrinsicContentSize() const;

    // ---- Touches ----------------------------------------------------------------------------
    View* hitTest(base::Point point, Event* event) { return kHitTest.send(this, point, event); }
    bool pointInside(base::Point point, Event* event) {
        return kPointInside.send(this, point, event);
    }

    // Recognizers are held strongly; each belongs to at most one view.
    void addGestureRecognizer(const std::shared_ptr<TapGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const TapGestureRecognizer* recognizer);
    const std::vector<std::shared_ptr<TapGestureRecognizer>>& gestureRecognizers() const {
        return recognizers_;
    }

    // ---- Constraints ------------------------------------------------------------------------
    // Views placed by constraints turn this off; the layout pass then sets their frames from the
    // constraints before their superview's layoutSubviews runs.
    bool translatesAutoresizingMaskIntoConstraints() const { return translatesMask_; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates);
    LayoutAnchor leadingAnchor() { return anchor(LayoutAttribute::Leading); }
    LayoutAnchor trailingAnchor() { return anchor(LayoutAttribute::Trailing); }
    LayoutAnchor leftAnchor() { return anchor(LayoutAttribute::Left); }
    LayoutAnchor rightAnchor() { return anchor(LayoutAttribute::Right); }
    LayoutAnchor topAnchor() { return anchor(LayoutAttribute::Top); }
    LayoutAnchor bottomAnchor() { return anchor(LayoutAttribute::Bottom); }
    LayoutAnchor widthAnchor() { return anchor(LayoutAttribute::Width); }
    LayoutAnchor heightAnchor() { return anchor(LayoutAttribute::Height); }
    LayoutAnchor centerXAnchor() { return anchor(LayoutAttribute::CenterX); }
    LayoutAnchor centerYAnchor() { return anchor(LayoutAttribute::CenterY); }
    LayoutGuide safeAreaLayoutGuide() {
        return LayoutGuide({runtime::weakRef(this), LayoutGuideKind::SafeArea});
    }
    // The active constraints that name this view or one of its guides.
    const std::vector<std::shared_ptr<LayoutConstraint>>& constraints() const {
        return constraints_;
    }
    // Priorities 1…1000: how strongly the view keeps from growing past / shrinking below its
    // intrinsic size when a stack shares out space.
    float contentHuggingPriority(LayoutAxis axis) const { return hugging_[int(axis)]; }
    void setContentHuggingPriority(float priority, LayoutAxis axis);
    float contentCompressionResistancePriority(LayoutAxis axis) const {
        return resistance_[int(axis)];
    }
    void setContentCompressionResistancePriority(float priority, LayoutAxis axis);
    // The smallest size the view's constraints and intrinsic sizes allow, with the width fixed to
    // target's when it is positive.
    base::Size systemLayoutSizeFittingSize(base::Size target);
    // Whether this view sets the subview's frame itself, so constraints do not place it.
    virtual bool arrangesSubview(const View& subview) const { return false; }
    // Tells the views that size or place this one by its content that the content changed.
    void invalidateIntrinsicContentSize();

    // ---- Coordinates ------------------------------------------------------------------------
    // Conversions between this view's bounds coordinates and another view's, by the model
    // geometry of the views in between. nullptr means the window (or, outside a window, the
    // topmost superview). Views of different windows convert through the screen.
    base::Point convertPoint(base::Point point, const View* to) const;
    base::Point convertPointFrom(base::Point point, const View* from) const;
    base::Rect convertRect(const base::Rect& rect, const View* to) const;
    base::Rect convertRectFrom(const base::Rect& rect, const View* from) const;
    base::AffineTransform transformToScreen() const override;
    base::Rect coordinateSpaceBounds() const override { return bounds(); }

    // ---- Observation ------------------------------------------------------------------------
    // Registers `observer` (held weakly) for changes of `keyPath`. The same observer may
    // register several times; each registration is notified.
    void addObserver(const std::shared_ptr<runtime::Object>& observer, std::string_view keyPath,
                     ObservingOptions options = ObservingOptions::New, void* context = nullptr);
    // Removes the most recent matching registration. False when there is none: the caller may
    // ignore it.
    bool removeObserver(const runtime::Object* observer, std::string_view keyPath, void* context);
    // As above, whatever the context.
    bool removeObserver(const runtime::Object* observer, std::string_view keyPath);

    // ---- Animation --------------------------------------------------------------------------
    // Runs `animations` at once: the model values it sets take effect immediately, and the view
    // layers show them animating over `duration` seconds after `delay`. `completion` runs on the
    // main thread when every animation started by the block has ended (true) or one was cut
    // short (false); when the block started none it runs on the next main-queue turn.
    static void animate(double duration, double delay, AnimationOptions options,
                        const std::function<void()>& animations,
                        std::function<void(bool finished)> completion = {});
    static void animate(double duration, const std::function<void()>& animations,
                        std::function<void(bool finished)> completion = {});
    // Runs `actions` with animations disabled, also inside an animation block.
    static void performWithoutAnimation(const std::function<void()>& actions);
    static bool areAnimationsEnabled();
    static void setAnimationsEnabled(bool enabled);
    // Whether an animation block is open (changes made now animate).
    static bool isInsideAnimationBlock();
    // Whether a running animation of this view's layer keeps touches away from the view.
    bool isInteractionBlockedByAnimation() const;

  protected:
    // Tells observers of keyPath that it changed (subclasses with observable properties).
    void didChangeValue(std::string_view keyPath, const ObservedValue& oldValue,
                        const ObservedValue& newValue);
    bool hasObservers(std::string_view keyPath) const;
    // Called by Window's constructors.
    void markAsWindow() { isWindow_ = true; }
    // The value of an observable property, for Initial notifications (subclasses extend it).
    virtual ObservedValue observableValue(std::string_view keyPath) const;
    // After the bounds changed, however they were set (view or layer), and after observers of
    // "bounds" heard of it.
    virtual void boundsDidChange(const base::Rect& oldBounds) {}
    // After setNeedsDisplay(), for views that draw their content on request.
    virtual void displayRequested() {}
    // After a subview was hidden or shown (stack views collapse it).
    virtual void subviewHiddenDidChange(View& subview) {}

    // The anchor of this view for an attribute.
    LayoutAnchor anchor(LayoutAttribute attribute) {
        return {{runtime::weakRef(this), LayoutGuideKind::None}, attribute};
    }

  private:
    friend class Layer;
    friend class ViewController;
    friend struct detail::ViewHierarchy;
    friend struct detail::LayoutPass;
    friend struct detail::ConstraintSolver;
    friend class LayoutConstraint;

    static void registerMethods(runtime::MethodList<View>& methods);
    void setFrameDefault(base::Rect frame);
    void setBoundsDefault(base::Rect bounds);
    void setCenterDefault(base::Point center);
    void setTransformDefault(base::AffineTransform transform);
    void setAlphaDefault(double alpha);
    void setHiddenDefault(bool hidden);
    void setBackgroundColorDefault(base::Color color);
    base::Size sizeThatFitsDefault(base::Size size);
    bool drawHierarchyInRectDefault(base::Rect rect, bool afterScreenUpdates);  // Compositor.cpp
    void nothing() {}
    void nothingWithView(View*) {}
    void nothingWithWindow(Window*) {}
    void nothingWithTraits(TraitCollection) {}
    View* hitTestDefault(base::Point point, Event* event);     // ViewTouches.cpp
    bool pointInsideDefault(base::Point point, Event* event);  // ViewTouches.cpp
    void touchesBeganDefault(Touch* touch, Event* event);      // ViewTouches.cpp
    void touchesMovedDefault(Touch* touch, Event* event);      // ViewTouches.cpp
    void touchesEndedDefault(Touch* touch, Event* event);      // ViewTouches.cpp
    void touchesCancelledDefault(Touch* touch, Event* event);  // ViewTouches.cpp

    void init(const base::Rect& frame);
    void forgetOverrides();
    // From the layer: a model property changed (records view animations, resizes subviews,
    // asks for layout, tells observers).
    void layerPropertyDidChange(Layer& layer, LayerProperty property,
                                const AnimatableValue& oldValue);
    void layerHiddenDidChange();
    void resizeSubviews(base::Size oldSize);
    // Re-resolves dynamic colours for new traits.
    void applyTraits(const TraitCollection& traits);
    base::AffineTransform transformToRoot(const View** root) const;

    std::shared_ptr<Layer> layer_;
    // Non-owning: the superview clears it when it removes this view or dies.
    View* superview_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    std::weak_ptr<Window> window_;
    std::weak_ptr<ViewController> viewController_;
    base::Color backgroundColor_;
    std::optional<base::Color> tintColor_;
    UserInterfaceStyle overrideStyle_ = UserInterfaceStyle::Unspecified;
    std::shared_ptr<View> maskView_;
    std::unique_ptr<detail::ObservationTable> observations_;
    std::vector<std::shared_ptr<LayoutConstraint>> constraints_;
    std::vector<std::shared_ptr<TapGestureRecognizer>> recognizers_;
    float hugging_[2] = {250, 250};
    float resistance_[2] = {750, 750};
    std::int64_t tag_ = 0;
    AutoresizingMask autoresizingMask_ = AutoresizingMask::None;
    ContentMode contentMode_ = ContentMode::ScaleToFill;
    bool userInteractionEnabled_ = true;
    bool autoresizesSubviews_ = true;
    bool isWindow_ = false;
    bool translatesMask_ = true;
    bool needsLayout_ = false;
    // Some view below this one needs layout.
    bool subtreeNeedsLayout_ = false;
};

}  // namespace ui

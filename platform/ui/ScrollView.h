#pragma once

#include <memory>

#include "platform/base/Geometry.h"
#include "platform/ui/View.h"

namespace ui {

class DisplayLink;
class ScrollView;

// Told about scrolling. Held weakly by the scroll view.
class ScrollViewDelegate {
  public:
    virtual ~ScrollViewDelegate() = default;
    // After every change of the content offset.
    virtual void scrollViewDidScroll(ScrollView&) {}
    // When an animated scroll reached its target.
    virtual void scrollViewDidEndScrollingAnimation(ScrollView&) {}
};

// A view whose bounds origin is a movable window onto larger content ("UIScrollView").
//
// The content offset is the bounds origin: moving either moves both, and observers hear
// "bounds" and then "contentOffset" for every such change. Animated scrolling moves the offset
// once per screen refresh (a display link in common modes), each step observable like any
// other change; a non-animated change stops it.
class ScrollView : public View {
    QV_OBJECT(ScrollView, View);

  public:
    static inline const runtime::Message<void(base::Point)> kSetContentOffset{"setContentOffset:"};

    // How long an animated scroll takes.
    static constexpr double kScrollAnimationDuration = 0.3;

    ScrollView();
    explicit ScrollView(const base::Rect& frame);
    ~ScrollView() override;
    static std::shared_ptr<ScrollView> create(const base::Rect& frame = {});

    base::Point contentOffset() const { return bounds().origin; }
    void setContentOffset(base::Point offset) { kSetContentOffset.send(this, offset); }
    void setContentOffset(base::Point offset, bool animated);
    bool isScrollAnimating() const { return animation_ != nullptr; }

    base::Size contentSize() const { return contentSize_; }
    void setContentSize(base::Size size);
    base::EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(const base::EdgeInsets& insets);
    // The insets scrolling respects (this platform has no safe area to add).
    base::EdgeInsets adjustedContentInset() const { return contentInset_; }

    // Scrolls as little as possible to show `rect` (content coordinates), within the content.
    void scrollRectToVisible(const base::Rect& rect, bool animated);

    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    bool alwaysBounceHorizontal() const { return alwaysBounceH_; }
    void setAlwaysBounceHorizontal(bool bounce) { alwaysBounceH_ = bounce; }
    bool alwaysBounceVertical() const { return alwaysBounceV_; }
    void setAlwaysBounceVertical(bool bounce) { alwaysBounceV_ = bounce; }
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    bool showsVerticalScrollIndicator() const { return showsVertical_; }
    void setShowsVerticalScrollIndicator(bool shows) { showsVertical_ = shows; }
    bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
    void setShowsHorizontalScrollIndicator(bool shows) { showsHorizontal_ = shows; }
    // A touch that lands on content which does not handle it drags the content (without
    // momentum): the offset follows the finger on the axes the content overflows, within the
    // content and its insets.
    bool isTracking() const { return tracking_; }
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return false; }

    // Constraints to the content guide size the content; the frame guide is the scroll view's
    // own rectangle.
    LayoutGuide contentLayoutGuide() {
        return LayoutGuide({runtime::weakRef(this), LayoutGuideKind::Content});
    }
    LayoutGuide frameLayoutGuide() {
        return LayoutGuide({runtime::weakRef(this), LayoutGuideKind::Frame});
    }

    std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

  protected:
    ObservedValue observableValue(std::string_view keyPath) const override;
    void boundsDidChange(const base::Rect& oldBounds) override;

  private:
    static void registerMethods(runtime::MethodList<ScrollView>& methods);
    void setContentOffsetDefault(base::Point offset);
    void stopScrollAnimation();
    void stepScrollAnimation();
    void touchesBeganScroll(Touch* touch, Event* event);
    void touchesMovedScroll(Touch* touch, Event* event);
    void touchesEndedScroll(Touch* touch, Event* event);

    struct ScrollAnimation;

    base::Size contentSize_;
    base::EdgeInsets contentInset_;
    std::weak_ptr<ScrollViewDelegate> delegate_;
    std::unique_ptr<ScrollAnimation> animation_;
    bool scrollEnabled_ = true;
    bool bounces_ = true;
    bool showsVertical_ = true;
    bool showsHorizontal_ = true;
    bool tracking_ = false;
    bool alwaysBounceH_ = false;
    bool alwaysBounceV_ = false;
    bool dragging_ = false;
};

}  // namespace ui

#pragma once

#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

enum class StackViewDistribution { Fill, FillEqually };
// Leading is the top of a horizontal stack's rows; Trailing their bottom.
enum class StackViewAlignment { Fill, Leading, Center, Trailing };

// Lays its arranged subviews out in a row or a column ("UIStackView").
//
// Hidden arranged views take no space and no spacing: hiding or showing one lays the stack out
// again, at once inside an animation block (so the gap closes or opens with the animation),
// otherwise on the next layout pass. Along the axis each view gets its preferred length (a size
// constraint, else its intrinsic size, else what its own constraints give); with Fill, space
// left over goes to the views that hug their content least, and a shortfall is taken from the
// views that resist compression least. Across the axis views fill the stack or keep their
// preferred length, placed by the alignment.
class StackView : public View {
    QV_OBJECT(StackView, View);

  public:
    StackView();
    explicit StackView(const base::Rect& frame);
    static std::shared_ptr<StackView> create(const base::Rect& frame = {});
    static std::shared_ptr<StackView> create(std::vector<std::shared_ptr<View>> arranged);

    const std::vector<std::shared_ptr<View>>& arrangedSubviews() const { return arranged_; }
    // Also adds the view as a subview (at the end).
    void addArrangedSubview(const std::shared_ptr<View>& view);
    void insertArrangedSubview(const std::shared_ptr<View>& view, std::size_t index);
    // Stops arranging the view; it stays a subview.
    void removeArrangedSubview(const View* view);

    LayoutAxis axis() const { return axis_; }
    void setAxis(LayoutAxis axis);
    double spacing() const { return spacing_; }
    void setSpacing(double spacing);
    StackViewDistribution distribution() const { return distribution_; }
    void setDistribution(StackViewDistribution distribution);
    StackViewAlignment alignment() const { return alignment_; }
    void setAlignment(StackViewAlignment alignment);

    base::Size intrinsicContentSize() const override;
    bool arrangesSubview(const View& subview) const override;

  protected:
    void subviewHiddenDidChange(View& subview) override;

  private:
    static void registerMethods(runtime::MethodList<StackView>& methods);
    void layoutStack();
    void willRemoveSubviewStack(View* subview);
    void arrangementChanged();
    std::vector<View*> visibleArranged() const;

    std::vector<std::shared_ptr<View>> arranged_;
    LayoutAxis axis_ = LayoutAxis::Horizontal;
    double spacing_ = 0;
    StackViewDistribution distribution_ = StackViewDistribution::Fill;
    StackViewAlignment alignment_ = StackViewAlignment::Fill;
};

}  // namespace ui

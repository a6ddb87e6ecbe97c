#include "platform/ui/detail/ConstraintSolver.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/ui/Layer.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

namespace ui::detail {

namespace {

enum Slot { kMin = 0, kMax = 1, kCenter = 2, kSize = 3 };

// Deep trees of views sized by their content nest fitting-size questions; past this depth the
// answer is the frame.
constexpr int kMaxFittingDepth = 64;
int gFittingDepth = 0;

struct Axis {
    std::optional<double> v[4];

    int known() const {
        return int(v[0].has_value()) + int(v[1].has_value()) + int(v[2].has_value()) +
               int(v[3].has_value());
    }
    bool resolved() const { return known() >= 2; }
    bool hasPosition() const { return v[kMin] || v[kMax] || v[kCenter]; }

    std::optional<double> get(Slot s) const {
        if (v[s]) return v[s];
        const auto &mn = v[kMin], &mx = v[kMax], &c = v[kCenter], &sz = v[kSize];
        switch (s) {
            case kMin:
                if (mx && sz) return *mx - *sz;
                if (c && mx) return 2 * *c - *mx;
                if (c && sz) return *c - *sz / 2;
                break;
            case kMax:
                if (mn && sz) return *mn + *sz;
                if (c && mn) return 2 * *c - *mn;
                if (c && sz) return *c + *sz / 2;
                break;
            case kCenter:
                if (mn && mx) return (*mn + *mx) / 2;
                if (mn && sz) return *mn + *sz / 2;
                if (mx && sz) return *mx - *sz / 2;
                break;
            case kSize:
                if (mn && mx) return *mx - *mn;
                if (c && mn) return 2 * (*c - *mn);
                if (c && mx) return 2 * (*mx - *c);
                break;
        }
        return std::nullopt;
    }

    bool set(Slot s, double value) {
        if (!std::isfinite(value) || resolved() || get(s)) return false;
        v[s] = value;
        return true;
    }

    // Replaces one value by a bound, keeping the edge that stays put.
    void force(Slot s, double value) {
        std::optional<double> mn = get(kMin), mx = get(kMax), sz = get(kSize), c = get(kCenter);
        switch (s) {
            case kSize:
                if (v[kMax] && !v[kMin]) {
                    mn = *mx - value;
                } else if (!mn && c) {
                    mn = *c - value / 2;
                }
                sz = value;
                break;
            case kMax:
                if (mn) {
                    sz = value - *mn;
                } else if (sz) {
                    mn = value - *sz;
                }
                break;
            case kMin:
                if (mx && v[kMax]) sz = *mx - value;
                mn = value;
                break;
            case kCenter:
                if (sz) mn = value - *sz / 2;
                break;
        }
        for (auto& x : v) x.reset();
        v[kMin] = mn;
        v[kSize] = sz;
    }
};

struct Node {
    View* view = nullptr;
    LayoutGuideKind guide = LayoutGuideKind::None;
    bool solvable = false;
    Axis axis[2];
};

struct Term {
    int axis;
    Slot slot;
};

Term termOf(LayoutAttribute a) {
    switch (a) {
        case LayoutAttribute::Left:
        case LayoutAttribute::Leading:
            return {0, kMin};
        case LayoutAttribute::Right:
        case LayoutAttribute::Trailing:
            return {0, kMax};
        case LayoutAttribute::CenterX:
            return {0, kCenter};
        case LayoutAttribute::Width:
            return {0, kSize};
        case LayoutAttribute::Top:
            return {1, kMin};
        case LayoutAttribute::Bottom:
            return {1, kMax};
        case LayoutAttribute::CenterY:
            return {1, kCenter};
        case LayoutAttribute::Height:
            return {1, kSize};
    }
    return {0, kMin};
}

std::shared_ptr<View> nearestCommonAncestor(const std::shared_ptr<View>& a,
                                            const std::shared_ptr<View>& b) {
    for (std::shared_ptr<View> v = a; v; v = v->superview()) {
        if (b->isDescendantOfView(v.get())) return v;
    }
    return nullptr;
}

// The view whose layout solves the constraint.
std::shared_ptr<View> ownerOf(const LayoutConstraint& c) {
    std::shared_ptr<View> a = c.firstAnchor().item().view.lock();
    if (!a) return nullptr;
    const LayoutGuideKind ga = c.firstAnchor().item().guide;
    std::shared_ptr<View> b;
    LayoutGuideKind gb = LayoutGuideKind::None;
    if (c.secondAnchor()) {
        b = c.secondAnchor()->item().view.lock();
        gb = c.secondAnchor()->item().guide;
        if (!b) return nullptr;
    }
    if (!b || b == a) {
        if (ga != LayoutGuideKind::None || gb != LayoutGuideKind::None) return a;
        return a->superview();
    }
    return nearestCommonAncestor(a, b);
}

base::Rect ownRect(const View& view) {
    return {0, 0, view.bounds().width(), view.bounds().height()};
}

class Solver {
  public:
    Solver(View& owner, bool fitting, base::Size target) : owner_(owner), fitting_(fitting) {
        Node self;
        self.view = &owner;
        if (fitting) {
            self.solvable = true;
            self.axis[0].v[kMin] = 0;
            self.axis[1].v[kMin] = 0;
            if (target.width > 0) self.axis[0].v[kSize] = target.width;
            if (target.height > 0) self.axis[1].v[kSize] = target.height;
        } else {
            const base::Rect r = ownRect(owner);
            self.axis[0].v[kMin] = r.minX();
            self.axis[0].v[kSize] = r.width();
            self.axis[1].v[kMin] = r.minY();
            self.axis[1].v[kSize] = r.height();
        }
        nodes_.push_back(self);
        gather();
    }

    bool empty() const { return constraints_.empty(); }

    void run() {
        propagate();
        // Pass 2 and Pass 1 again, until preferred lengths stop opening new equalities.
        for (int round = 0; round < 64; ++round) {
            bool changed = false;
            for (Node& n : nodes_) {
                if (!n.solvable || n.view == &owner_ || n.guide != LayoutGuideKind::None) continue;
                for (int a = 0; a < 2; ++a) {
                    if (n.axis[a].resolved() || !n.axis[a].hasPosition()) continue;
                    changed |= n.axis[a].set(
                        kSize, ConstraintSolver::preferredLength(*n.view, LayoutAxis(a)));
                }
            }
            if (!changed) break;
            propagate();
        }
        bound();
    }

    // The owner's size as solved (fitting mode), or nullopt per axis.
    std::optional<double> ownerLength(int axis) const { return nodes_[0].axis[axis].get(kSize); }
    // The farthest extent of the subviews (fitting mode's fallback).
    double childrenExtent(int axis) const {
        double extent = 0;
        for (const Node& n : nodes_) {
            if (n.view == &owner_ || n.guide != LayoutGuideKind::None) continue;
            if (auto mx = n.axis[axis].get(kMax)) extent = std::max(extent, *mx);
        }
        return extent;
    }

    void apply() {
        for (Node& n : nodes_) {
            if (!n.solvable) continue;
            if (n.guide == LayoutGuideKind::Content) {
                if (auto* scroll = dynamic_cast<ScrollView*>(&owner_)) {
                    const base::Size current = scroll->contentSize();
                    const base::Size size{n.axis[0].get(kSize).value_or(current.width),
                                          n.axis[1].get(kSize).value_or(current.height)};
                    if (size != current) scroll->setContentSize(size);
                }
                continue;
            }
            if (n.view == &owner_) continue;
            const base::Rect f = n.view->frame();
            const auto pick = [&](int a, Slot s, double fallback) {
                return n.axis[a].resolved() ? n.axis[a].get(s).value_or(fallback) : fallback;
            };
            const base::Rect next{pick(0, kMin, f.minX()), pick(1, kMin, f.minY()),
                                  std::max(0.0, pick(0, kSize, f.width())),
                                  std::max(0.0, pick(1, kSize, f.height()))};
            if (!(next == f)) n.view->setFrame(next);
        }
    }

  private:
    Node& nodeFor(const LayoutItem& item) {
        View* v = item.view.lock().get();
        LayoutGuideKind g = item.guide;
        // The safe area and the frame guide coincide with the view's own rectangle here: the
        // screen has no insets, and the frame guide does not scroll with the content.
        if (g != LayoutGuideKind::Content) g = LayoutGuideKind::None;
        for (Node& n : nodes_) {
            if (n.view == v && n.guide == g) return n;
        }
        Node n;
        n.view = v;
        n.guide = g;
        if (g == LayoutGuideKind::Content) {
            n.solvable = (v == &owner_);
            n.axis[0].v[kMin] = 0;
            n.axis[1].v[kMin] = 0;
            if (auto* scroll = dynamic_cast<ScrollView*>(v); scroll && v != &owner_) {
                n.axis[0].v[kSize] = scroll->contentSize().width;
                n.axis[1].v[kSize] = scroll->contentSize().height;
            }
        } else {
            const bool child = v->superview().get() == &owner_;
            n.solvable = child && !v->translatesAutoresizingMaskIntoConstraints() &&
                         !owner_.arrangesSubview(*v);
            if (!n.solvable) {
                const base::Rect r = child ? v->frame() : v->convertRect(v->bounds(), &owner_);
                n.axis[0].v[kMin] = r.minX();
                n.axis[0].v[kSize] = r.width();
                n.axis[1].v[kMin] = r.minY();
                n.axis[1].v[kSize] = r.height();
            }
        }
        nodes_.push_back(n);
        return nodes_.back();
    }

    void gather() {
        std::unordered_set<const LayoutConstraint*> seen;
        const auto consider = [&](const View& v) {
            for (const auto& c : v.constraints()) {
                if (!c->isActive() || !seen.insert(c.get()).second) continue;
                if (ownerOf(*c).get() != &owner_) continue;
                constraints_.push_back(c);
            }
        };
        consider(owner_);
        for (const auto& child : owner_.subviews()) consider(*child);
        // Nodes are created up front so references into nodes_ stay valid while solving.
        nodes_.reserve(1 + 2 * constraints_.size());
        for (const auto& c : constraints_) {
            nodeFor(c->firstAnchor().item());
            if (c->secondAnchor()) nodeFor(c->secondAnchor()->item());
        }
    }

    std::optional<double> rhs(const LayoutConstraint& c) {
        if (!c.secondAnchor()) return c.constant();
        const Term t = termOf(c.secondAnchor()->attribute());
        const auto v = nodeFor(c.secondAnchor()->item()).axis[t.axis].get(t.slot);
        if (!v) return std::nullopt;
        return *v * c.multiplier() + c.constant();
    }

    // Pass 1.
    void propagate() {
        for (bool changed = true; changed;) {
            changed = false;
            for (const auto& c : constraints_) {
                if (c->relation() != LayoutRelation::Equal) continue;
                const Term ta = termOf(c->firstAnchor().attribute());
                Node& a = nodeFor(c->firstAnchor().item());
                const std::optional<double> left = a.axis[ta.axis].get(ta.slot);
                const std::optional<double> right = rhs(*c);
                if (!left && right && a.solvable) {
                    changed |= a.axis[ta.axis].set(ta.slot, *right);
                } else if (left && !right && c->secondAnchor() && c->multiplier() != 0) {
                    const Term tb = termOf(c->secondAnchor()->attribute());
                    Node& b = nodeFor(c->secondAnchor()->item());
                    if (b.solvable) {
                        changed |=
                            b.axis[tb.axis].set(tb.slot, (*left - c->constant()) / c->multiplier());
                    }
                }
            }
        }
    }

    // Pass 3.
    void bound() {
        for (const auto& c : constraints_) {
            if (c->relation() == LayoutRelation::Equal) continue;
            const Term ta = termOf(c->firstAnchor().attribute());
            Node& a = nodeFor(c->firstAnchor().item());
            if (!a.solvable) continue;
            const std::optional<double> left = a.axis[ta.axis].get(ta.slot);
            const std::optional<double> right = rhs(*c);
            if (!right) continue;
            const bool violated =
                !left || (c->relation() == LayoutRelation::LessThanOrEqual ? *left > *right
                                                                           : *left < *right);
            if (violated && (left || ta.slot == kSize)) a.axis[ta.axis].force(ta.slot, *right);
        }
    }

    View& owner_;
    bool fitting_;
    std::vector<Node> nodes_;
    std::vector<std::shared_ptr<LayoutConstraint>> constraints_;
};

}  // namespace

bool ConstraintSolver::hasConstraintsToSolve(const View& view) {
    if (!view.constraints().empty()) return true;
    for (const auto& child : view.subviews()) {
        if (!child->constraints().empty()) return true;
    }
    return false;
}

void ConstraintSolver::solve(View& view) {
    if (!hasConstraintsToSolve(view)) return;
    Solver solver(view, false, {});
    if (solver.empty()) return;
    solver.run();
    solver.apply();
}

base::Size ConstraintSolver::fittingSize(View& view, base::Size target) {
    const base::Size frame = view.bounds().size;
    if (gFittingDepth >= kMaxFittingDepth || !hasConstraintsToSolve(view)) return frame;
    ++gFittingDepth;
    Solver solver(view, true, target);
    solver.run();
    --gFittingDepth;
    const auto length = [&](int axis, double given) {
        if (given > 0 && axis == 0) return given;
        if (auto l = solver.ownerLength(axis)) return std::max(0.0, *l);
        return solver.childrenExtent(axis);
    };
    return {length(0, target.width), length(1, target.height)};
}

double ConstraintSolver::preferredLength(View& view, LayoutAxis axis) {
    const int a = int(axis);
    // A size the view's own constraints fix (bounded by the ones that limit it).
    std::optional<double> fixed;
    double lower = 0, upper = INFINITY;
    for (const auto& c : view.constraints()) {
        if (!c->isActive() || c->secondAnchor()) continue;
        const Term t = termOf(c->firstAnchor().attribute());
        if (t.axis != a || t.slot != kSize ||
            c->firstAnchor().item().guide != LayoutGuideKind::None ||
            c->firstAnchor().item().view.lock().get() != &view) {
            continue;
        }
        switch (c->relation()) {
            case LayoutRelation::Equal:
                if (!fixed) fixed = c->constant();
                break;
            case LayoutRelation::GreaterThanOrEqual:
                lower = std::max(lower, c->constant());
                break;
            case LayoutRelation::LessThanOrEqual:
                upper = std::min(upper, c->constant());
                break;
        }
    }
    double length;
    if (fixed) {
        length = *fixed;
    } else {
        const base::Size intrinsic = view.intrinsicContentSize();
        const double i = a == 0 ? intrinsic.width : intrinsic.height;
        if (i != View::kNoIntrinsicMetric) {
            length = i;
        } else if (hasConstraintsToSolve(view)) {
            const base::Size fit =
                fittingSize(view, a == 1 ? base::Size{view.bounds().width(), 0} : base::Size{});
            length = a == 0 ? fit.width : fit.height;
        } else {
            length = a == 0 ? view.bounds().width() : view.bounds().height();
        }
    }
    return std::clamp(length, lower, std::max(lower, upper));
}

}  // namespace ui::detail

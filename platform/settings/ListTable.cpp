#include "platform/settings/ListTable.h"

#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/SystemColors.h"

namespace settings {

QV_DEFINE_CLASS(ListTable, "UITableView");

namespace {

constexpr double kHeaderHeight = 38;
constexpr double kGroupGap = 20;
constexpr double kTextInset = 16;

// A row: its whole area is a control; it shows the press as a grey wash.
class ListRow : public ui::Control {
    QV_OBJECT(ListRow, ui::Control);

  protected:
    void stateDidChange() override {
        setBackgroundColor(isHighlighted() ? ui::colors::systemFill() : base::Color::clear());
    }
};

QV_DEFINE_CLASS(ListRow, "UITableViewCell");

}  // namespace

void ListTable::registerMethods(runtime::MethodList<ListTable>& methods) {
    methods.add<&ListTable::layoutTable>(kLayoutSubviews);
}

ListTable::ListTable() = default;

std::shared_ptr<ListTable> ListTable::create(const base::Rect& frame) {
    auto table = std::make_shared<ListTable>();
    table->setFrame(frame);
    return table;
}

void ListTable::setRows(std::vector<std::shared_ptr<Specifier>> rows) {
    std::erase(rows, nullptr);
    rows_ = std::move(rows);
    dirty_ = true;
    setNeedsLayout();
}

base::Rect ListTable::rectForRow(std::size_t index) const {
    if (index >= rowViews_.size() || !rowViews_[index]) return base::Rect::null();
    const ui::View& row = *rowViews_[index];
    return row.convertRect(row.bounds(), this);
}

void ListTable::rebuild() {
    for (const auto& v : rowViews_) {
        if (v) v->removeFromSuperview();
    }
    // A copy: removing changes the list.
    const std::vector<std::shared_ptr<ui::View>> children = subviews();
    for (const auto& v : children) {
        if (v->tag() == 1) v->removeFromSuperview();
    }
    rowViews_.clear();
    dirty_ = false;

    // Pass 1: split the rows into groups; a group specifier starts one.
    struct Group {
        std::string title;
        std::vector<std::size_t> members;
    };
    std::vector<Group> groups;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i]->cellType() == CellType::Group || groups.empty()) {
            groups.push_back({rows_[i]->cellType() == CellType::Group ? rows_[i]->name() : "", {}});
            if (rows_[i]->cellType() == CellType::Group) continue;
        }
        groups.back().members.push_back(i);
    }
    rowViews_.resize(rows_.size());

    // Pass 2: a rounded panel per group, rows inside it.
    const double width = std::max(0.0, bounds().width() - 2 * kMargin);
    double y = kGroupGap;
    const graphics::ImageRef chevron = ui::systemImage("chevron.right", 14);
    const std::weak_ptr<ListTable> self = runtime::weakRef(this);
    for (const Group& g : groups) {
        if (!g.title.empty()) {
            auto header = ui::Label::create({kMargin + kTextInset, y, width, kHeaderHeight - 8});
            header->setText(g.title);
            header->setFont(text::Font::systemFont(13));
            header->setTextColor(ui::colors::secondaryLabel());
            header->setTextAlignment(ui::TextAlignment::Left);
            header->setTag(1);
            addSubview(header);
            y += kHeaderHeight;
        }
        if (g.members.empty()) continue;
        auto panel = ui::View::create({kMargin, y, width, kRowHeight * double(g.members.size())});
        panel->setBackgroundColor(ui::colors::secondarySystemGroupedBackground());
        panel->layer()->setCornerRadius(10);
        panel->layer()->setCornerCurve(ui::CornerCurve::Continuous);
        panel->setClipsToBounds(true);
        panel->setTag(1);
        addSubview(panel);
        for (std::size_t k = 0; k < g.members.size(); ++k) {
            const std::shared_ptr<Specifier> rowSpecifier = rows_[g.members[k]];
            auto row = std::make_shared<ListRow>();
            row->setFrame({0, kRowHeight * double(k), width, kRowHeight});
            auto title = ui::Label::create({kTextInset, 0, width * 0.6, kRowHeight});
            title->setText(rowSpecifier->name());
            title->setTextAlignment(ui::TextAlignment::Left);
            title->setTextColor(rowSpecifier->isEnabled() ? ui::colors::label()
                                                          : ui::colors::tertiaryLabel());
            row->addSubview(title);
            const double accessory = rowSpecifier->cellType() == CellType::LinkList &&
                                             rowSpecifier->isEnabled() && chevron
                                         ? 24
                                         : 0;
            if (!rowSpecifier->detail().empty()) {
                auto detail = ui::Label::create(
                    {width * 0.45, 0, width * 0.55 - kTextInset - accessory, kRowHeight});
                detail->setText(rowSpecifier->detail());
                detail->setTextColor(ui::colors::secondaryLabel());
                detail->setTextAlignment(ui::TextAlignment::Right);
                row->addSubview(detail);
            }
            if (accessory > 0) {
                auto mark = ui::ImageView::create(chevron);
                const base::Size s = chevron->size();
                mark->setFrame(
                    {width - kTextInset - s.width, (kRowHeight - s.height) / 2, s.width, s.height});
                mark->setTintColor(ui::colors::tertiaryLabel());
                row->addSubview(mark);
            }
            if (k + 1 < g.members.size()) {
                auto line = ui::View::create({kTextInset, kRowHeight - 0.5, width, 0.5});
                line->setBackgroundColor(ui::colors::separator());
                line->setUserInteractionEnabled(false);
                row->addSubview(line);
            }
            row->setEnabled(rowSpecifier->isEnabled() &&
                            rowSpecifier->cellType() != CellType::Static);
            const std::weak_ptr<Specifier> weakSpec = rowSpecifier;
            row->addAction(ui::Action::create({}, nullptr,
                                              [self, weakSpec](ui::Action&) {
                                                  auto table = self.lock();
                                                  auto s = weakSpec.lock();
                                                  if (table && s && table->onSelect_) {
                                                      table->onSelect_(*s);
                                                  }
                                              }),
                           ui::ControlEvents::TouchUpInside);
            panel->addSubview(row);
            rowViews_[g.members[k]] = row;
        }
        y += kRowHeight * double(g.members.size()) + kGroupGap;
    }
    setContentSize({bounds().width(), y});
}

void ListTable::layoutTable() {
    if (dirty_) rebuild();
}

}  // namespace settings

#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/settings/Specifier.h"
#include "platform/ui/ScrollView.h"

namespace ui {
class Control;
}

namespace settings {

// The table of a Settings list: rows in rounded groups, scrolling vertically. Group specifiers
// start a new group and title it; a tap on an enabled row reports its specifier.
class ListTable : public ui::ScrollView {
    QV_OBJECT(ListTable, ui::ScrollView);

  public:
    static constexpr double kRowHeight = 44;
    static constexpr double kMargin = 16;

    ListTable();
    static std::shared_ptr<ListTable> create(const base::Rect& frame);

    void setRows(std::vector<std::shared_ptr<Specifier>> rows);
    const std::vector<std::shared_ptr<Specifier>>& rows() const { return rows_; }
    // The row's frame in the table's content, or the null rectangle for a header or no row.
    base::Rect rectForRow(std::size_t index) const;
    void setSelectionHandler(std::function<void(Specifier&)> handler) {
        onSelect_ = std::move(handler);
    }

  private:
    static void registerMethods(runtime::MethodList<ListTable>& methods);
    void layoutTable();
    void rebuild();

    std::vector<std::shared_ptr<Specifier>> rows_;
    std::vector<std::shared_ptr<ui::View>> rowViews_;
    std::function<void(Specifier&)> onSelect_;
    bool dirty_ = false;
};

}  // namespace settings

#pragma once

#include <memory>
#include <string>

#include "platform/runtime/Runtime.h"

namespace settings {

// The kinds of rows a list shows (the phone's cell types that the host uses).
enum class CellType { Group = 0, LinkList = 1, Static = 4 };

// One row of a Settings list ("PSSpecifier"): a group header or an entry that can be chosen.
class Specifier : public runtime::Object {
    QV_OBJECT(Specifier, runtime::Object);

  public:
    static std::shared_ptr<Specifier> create(std::string name, CellType cell);
    Specifier() = default;

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    const std::string& identifier() const { return identifier_.empty() ? name_ : identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    CellType cellType() const { return cell_; }
    // Grey text on the right of the row (a state such as "Unavailable").
    const std::string& detail() const { return detail_; }
    void setDetail(std::string detail) { detail_ = std::move(detail); }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

  private:
    std::string name_;
    std::string identifier_;
    std::string detail_;
    CellType cell_ = CellType::LinkList;
    bool enabled_ = true;
};

}  // namespace settings

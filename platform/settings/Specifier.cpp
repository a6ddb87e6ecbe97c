#include "platform/settings/Specifier.h"

namespace settings {

QV_DEFINE_CLASS(Specifier, "PSSpecifier");

std::shared_ptr<Specifier> Specifier::create(std::string name, CellType cell) {
    auto s = std::make_shared<Specifier>();
    s->name_ = std::move(name);
    s->cell_ = cell;
    return s;
}

}  // namespace settings

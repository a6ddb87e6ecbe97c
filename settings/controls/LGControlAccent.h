#pragma once

#include <initializer_list>
#include <optional>

#include "platform/base/Color.h"

// Picking the colour that fills a glass control's track. A candidate is usable when it is
// present, is not the clear colour, and is not near-black (visible, alpha above 0.01, with red,
// green and blue all below 0.12): a near-black fill would vanish into the glass's own shadow. A
// colour whose components cannot be read is taken as it is. Dynamic colours are judged as they
// resolve for `dark`.
bool LGIsUsableControlAccent(const std::optional<base::Color>& color, bool dark);

// The first usable candidate, resolved for `dark`; `fallback` when none is.
base::Color LGFirstUsableControlAccent(std::initializer_list<std::optional<base::Color>> candidates,
                                       const base::Color& fallback, bool dark);

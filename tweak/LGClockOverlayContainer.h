#pragma once

#include <memory>

#include "platform/text/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

// The view that receives a host's clock overlay.
//
// Legacy host: its superview (the host itself without one); the host and every view up to the
// container stop clipping, so the taller glass shows whole. Modern host: the first superview,
// below the window, that clips nothing and holds the glass frame of the source label (in `font`)
// inside its bounds (a point of slack on each side); else the host's superview (or the host).
// Without a host or a source label, the host. Main thread only.
std::shared_ptr<ui::View> LGClockOverlayContainer(const std::shared_ptr<ui::View>& host,
                                                  const std::shared_ptr<ui::Label>& source,
                                                  const text::FontRef& font);

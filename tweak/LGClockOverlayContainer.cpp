#include "tweak/LGClockOverlayContainer.h"

#include "platform/runtime/Class.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Window.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockTextGeometry.h"

namespace {

// A point of slack on either side: rounding of converted frames must not disqualify a container.
constexpr double kSideSlack = 1;

std::shared_ptr<ui::View> superviewOrSelf(const std::shared_ptr<ui::View>& view) {
    auto up = view->superview();
    return up ? up : view;
}

}  // namespace

std::shared_ptr<ui::View> LGClockOverlayContainer(const std::shared_ptr<ui::View>& host,
                                                  const std::shared_ptr<ui::Label>& source,
                                                  const text::FontRef& font) {
    if (!host) return nullptr;
    if (LGClockIsLegacyHost(host.get())) {
        std::shared_ptr<ui::View> container = superviewOrSelf(host);
        for (std::shared_ptr<ui::View> v = host; v; v = v->superview()) {
            v->setClipsToBounds(false);
            v->layer()->setMasksToBounds(false);
            if (v == container) break;
        }
        return container;
    }
    if (!source) return host;
    runtime::Class* windowClass = ui::Window::staticClass();
    for (auto a = host->superview(); a && !a->isKindOfClass(windowClass); a = a->superview()) {
        const base::Rect rect = source->convertRect(source->bounds(), a.get());
        const base::Rect g =
            LGClockGlassFrame(source->text(), font, nullptr, int(source->textAlignment()), rect);
        const base::Size size = a->bounds().size;
        if (!a->clipsToBounds() && !a->layer()->masksToBounds() && g.minY() >= 0 &&
            g.maxY() <= size.height && g.minX() >= -kSideSlack &&
            g.maxX() <= size.width + kSideSlack) {
            return a;
        }
    }
    return superviewOrSelf(host);
}

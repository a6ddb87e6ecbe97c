#include "tweak/LGClockDateLine.h"

#include <cmath>

#include "platform/runtime/Hooks.h"
#include "platform/text/DateFormatter.h"
#include "platform/text/Locale.h"
#include "platform/ui/Label.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGViewTree.h"

namespace {

char kApplyingTextKey;

constexpr double kBelowHostTop = 10;
constexpr const char* kLegacyDateLine = "SBFLockScreenDateSubtitleDateView";
constexpr const char* kModernDateLine = "CSProminentSubtitleDateView";

double dateLineOffset() {
    return LGPrefsDouble(kLGClockDateVerticalOffsetKey, kLGClockDateVerticalOffsetDefault);
}

bool isDateLabel(const ui::View* view) {
    return view != nullptr && view->isKindOfClass(ui::Label::staticClass()) &&
           (LGViewHasAncestorNamed(view, kLegacyDateLine) ||
            LGViewHasAncestorNamed(view, kModernDateLine));
}

// One formatter for the process, set up again at every use: the locale or zone may change.
text::DateFormatter& sharedFormatter() {
    static auto* formatter = new text::DateFormatter();
    return *formatter;
}

}  // namespace

void LGClockPlaceLegacyDateLine(const std::shared_ptr<ui::View>& dateLine) {
    if (!dateLine || LGIsModernSystem() || !LGTweakEnabled() ||
        !LGPrefsBool(kLGClockEnabledKey, kLGClockEnabledDefault)) {
        return;
    }
    std::shared_ptr<ui::View> host;
    for (auto v = dateLine; v; v = v->superview()) {
        if (LGClockIsLegacyHost(v.get())) {
            host = v;
            break;
        }
    }
    if (!host) return;
    const auto container = host->superview();
    const auto lineParent = dateLine->superview();
    if (!container || !lineParent || !LGClockIsActiveForView(host)) return;

    host->setClipsToBounds(false);
    // The host's superview is the container: its frame is already in the container's space.
    const base::Rect hostRect = host->frame();
    const base::Rect lineRect = lineParent->convertRect(dateLine->frame(), container.get());
    // Rounded first, halves away from zero; the offset is taken off afterwards.
    const double x = std::round(hostRect.midX() - 0.5 * lineRect.width());
    const double y =
        std::round(hostRect.minY() - lineRect.height() + kBelowHostTop) - dateLineOffset();
    const base::Rect placed{x, y, lineRect.width(), lineRect.height()};
    dateLine->setFrame(container->convertRect(placed, lineParent.get()));
    lineParent->bringSubviewToFront(dateLine.get());
}

void LGClockPlaceLegacyDateLineInHost(const std::shared_ptr<ui::View>& host) {
    if (!LGClockIsLegacyHost(host.get())) return;
    std::shared_ptr<ui::View> line;
    LGWalkViewTree(host, [&](const std::shared_ptr<ui::View>& v) {
        if (!line && v->className() == kLegacyDateLine) line = v;
    });
    if (line) LGClockPlaceLegacyDateLine(line);
}

base::Rect LGClockModernDateLineFrame(const std::shared_ptr<ui::View>& dateLine, base::Rect frame) {
    if (LGClockIsActiveForView(dateLine)) frame.origin.y -= dateLineOffset();
    return frame;
}

std::string LGClockCompactDateText(dispatch::Date date) {
    text::DateFormatter& formatter = sharedFormatter();
    formatter.setLocale(text::Locale::autoupdatingCurrent());
    formatter.setTimeZone(text::TimeZone::local());
    formatter.setLocalizedDateFormatFromTemplate("EEE MMM d");
    std::string text = formatter.string(date);
    if (text.empty()) return text;
    // Pass 1: no commas. Pass 2: single spaces. Pass 3: no whitespace at either end.
    std::erase(text, ',');
    for (std::size_t at; (at = text.find("  ")) != std::string::npos;) text.erase(at, 1);
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && isSpace(text.front())) text.erase(text.begin());
    while (!text.empty() && isSpace(text.back())) text.pop_back();
    return text;
}

bool LGClockIsRewritingDateLabel(const ui::View* label) {
    return runtime::attachedValue<bool>(label, &kApplyingTextKey) != nullptr;
}

void LGClockRewriteDateLabel(const std::shared_ptr<ui::View>& view) {
    if (!isDateLabel(view.get()) || LGClockIsRewritingDateLabel(view.get())) return;
    auto label = std::static_pointer_cast<ui::Label>(view);
    const std::string text = LGClockCompactDateText(dispatch::wallClockNow());
    if (text.empty() || text == label->text()) return;
    runtime::setAttachedValue(label.get(), &kApplyingTextKey, std::make_shared<bool>(true));
    label->setText(text);
    runtime::setAttachedValue(label.get(), &kApplyingTextKey, nullptr);
}

void LGClockRewriteDateLabels(const std::shared_ptr<ui::View>& root) {
    LGWalkViewTree(root, [](const std::shared_ptr<ui::View>& v) {
        if (isDateLabel(v.get())) LGClockRewriteDateLabel(v);
    });
}

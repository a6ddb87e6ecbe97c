#include "tweak/LGClockVariableFont.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <mutex>
#include <vector>

#include "platform/base/DeviceRoot.h"
#include "platform/base/RegularFile.h"
#include "platform/text/FontDescriptor.h"
#include "platform/text/FontRegistry.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockFontCandidates.h"
#include "tweak/detail/LGClockVariableFontTesting.h"
#include "tweak/detail/LGCountLimitedCache.h"

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
// Far more than the clock font needs; a larger file is not the font.
constexpr std::size_t kMaxFontFileBytes = std::size_t(64) << 20;
// The size of the font the axes are read from; any size would do.
constexpr double kAxisProbeSize = 60;

struct LoaderState {
    std::mutex mutex;  // guards everything below
    bool attempted = false;
    std::string path;
    text::FontRef graphicsFont;
    std::string postScriptName;
    bool registered = false;
    std::map<std::string, uint32_t, std::less<>> identifiers;
    std::map<std::string, LGClockAxisRange, std::less<>> ranges;
    lg::detail::LGCountLimitedCache<std::string, text::FontRef> cache{
        kLGClockVariableFontCacheLimit};
};

LoaderState& state() {
    // Never destroyed: a clock may still ask for a font while the process exits.
    static LoaderState* instance = new LoaderState();
    return *instance;
}

std::string lowercase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

std::string tagText(uint32_t tag) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) text += char((tag >> shift) & 0xff);
    return text;
}

std::string describeVariations(const text::Variations& variations) {
    std::string text = "{";
    for (const auto& [tag, value] : variations) {
        if (text.size() > 1) text += "; ";
        text += LGFormat("%@ = %.2f", tagText(tag), value);
    }
    return text + "}";
}

// Which of the font's axes the settings drive, and their ranges.
void learnAxes(LoaderState& s, const std::vector<text::VariationAxis>& axes) {
    for (const text::VariationAxis& axis : axes) {
        const auto logical = LGClockLogicalAxisName(axis.name);
        if (!logical) continue;
        const double lo = std::isnan(axis.minimum) ? -kLargest : axis.minimum;
        const double hi = std::isnan(axis.maximum) ? kLargest : axis.maximum;
        s.identifiers[std::string(*logical)] = axis.tag;
        s.ranges[std::string(*logical)] = {lo, hi};
    }
}

void loadLocked(LoaderState& s) {
    // Pass 1: where the font is. The search logs when it finds nothing.
    const auto path = LGClockFirstExistingFontPath(LGClockFontCandidates());
    if (!path) return;
    s.path = *path;

    // Pass 2: the bytes.
    const auto bytes = base::readRegularFile(base::resolveDevicePath(s.path), kMaxFontFileBytes);
    if (!bytes || bytes->empty()) {
        LGLog("clock variable font read failed path=%@", s.path);
        return;
    }

    // Pass 3: the font object, kept for the life of the process. The engine takes the bytes
    // straight from memory, so there is no separate data-provider step that could fail.
    auto font = text::Font::fromData(
        std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()), kAxisProbeSize);
    if (!font) {
        LGLog("clock variable font CGFont create failed path=%@", s.path);
        return;
    }
    s.graphicsFont = font;
    s.postScriptName = font->postScriptName();

    // Pass 4: registration for the process. A clash leaves the earlier font registered; the
    // instances below are made from this file's face either way.
    std::string error;
    if (text::registerFont(*font, &error)) {
        s.registered = true;
    } else {
        LGLog("clock variable font register failed postscript=%@ error=%@",
              s.postScriptName.empty() ? std::string("(null)") : s.postScriptName, error);
    }

    // Pass 5: the axes.
    const auto axes = font->withSize(kAxisProbeSize)->variationAxes();
    if (axes.empty()) {
        LGLog("clock variable font has no variation axes postscript=%@",
              s.postScriptName.empty() ? std::string("(null)") : s.postScriptName);
    }
    learnAxes(s, axes);
}

double clampLocked(const LoaderState& s, std::string_view logicalName, double value) {
    const auto it = s.ranges.find(logicalName);
    if (it == s.ranges.end()) return value;
    return std::min(std::max(value, it->second.minimum), it->second.maximum);
}

double settingOrDefault(const char* key, double defaultValue) {
    const double value = LGPrefsDouble(key, defaultValue);
    return std::isnan(value) ? defaultValue : value;
}

std::optional<LGClockVariableFontRequest> requestLocked(const LoaderState& s, double pointSize,
                                                        double heightAxis) {
    if (s.postScriptName.empty()) return std::nullopt;
    if (std::isnan(heightAxis)) {
        heightAxis =
            settingOrDefault(kLGClockVariableFontHeightKey, kLGClockVariableFontDefaultHeight);
    }
    const std::array<std::pair<std::string_view, double>, 4> values = {{
        {kLGClockAxisWeight,
         settingOrDefault(kLGClockVariableFontWeightKey, kLGClockVariableFontDefaultWeight)},
        {kLGClockAxisWidth,
         settingOrDefault(kLGClockVariableFontWidthKey, kLGClockVariableFontDefaultWidth)},
        {kLGClockAxisHeight, heightAxis},
        {kLGClockAxisSoftness,
         settingOrDefault(kLGClockVariableFontSoftnessKey, kLGClockVariableFontDefaultSoftness)},
    }};
    const double sizeScale =
        settingOrDefault(kLGClockVariableFontSizeScaleKey, kLGClockVariableFontDefaultSizeScale);

    LGClockVariableFontRequest request;
    std::array<double, 4> clamped{};
    for (size_t i = 0; i < values.size(); ++i) {
        const auto& [name, value] = values[i];
        clamped[i] = clampLocked(s, name, value);
        if (const auto it = s.identifiers.find(name); it != s.identifiers.end()) {
            request.variations[it->second] = clamped[i];
        }
    }
    request.key = LGFormat("%@|%.2f|%.2f|%.2f|%.2f|%.2f|%.2f", s.postScriptName, pointSize,
                           clamped[0], clamped[1], clamped[2], clamped[3], sizeScale);
    return request;
}

}  // namespace

std::optional<std::string_view> LGClockLogicalAxisName(std::string_view axisName) {
    const std::string name = lowercase(axisName);
    const auto has = [&](std::string_view part) { return name.find(part) != std::string::npos; };
    if (has("weight") || has("wght")) return kLGClockAxisWeight;
    if (has("width") || has("wdth")) return kLGClockAxisWidth;
    if (has("height") || has("hght")) return kLGClockAxisHeight;
    if (has("soft")) return kLGClockAxisSoftness;
    return std::nullopt;
}

void LGClockRegisterVariableFont() {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.attempted) return;
    s.attempted = true;
    loadLocked(s);
}

text::FontRef LGClockVariableFont(double pointSize, double heightAxis) {
    LGClockRegisterVariableFont();
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    const auto request = requestLocked(s, pointSize, heightAxis);
    if (!request) return nullptr;
    if (auto cached = s.cache.find(request->key)) return *cached;

    text::FontRef font;
    if (std::isfinite(pointSize) && pointSize > 0) {
        const text::FontDescriptor descriptor =
            s.graphicsFont->descriptor().withVariations(request->variations);
        font = text::Font::create(descriptor, pointSize);
    }
    if (!font) {
        LGLog(
            "clock variable CTFont descriptor create failed postscript=%@ size=%.2f "
            "variations=%@",
            s.postScriptName, pointSize, describeVariations(request->variations));
        return nullptr;
    }
    s.cache.store(request->key, font);
    return font;
}

double LGClockClampAxis(std::string_view logicalName, double value) {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    return clampLocked(s, logicalName, value);
}

std::optional<LGClockAxisRange> LGClockVariableFontAxisRange(std::string_view logicalName) {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    const auto it = s.ranges.find(logicalName);
    if (it == s.ranges.end()) return std::nullopt;
    return it->second;
}

std::optional<LGClockVariableFontRequest> LGClockVariableFontRequestFor(double pointSize,
                                                                        double heightAxis) {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    return requestLocked(s, pointSize, heightAxis);
}

std::string LGClockVariableFontPath() {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    return s.path;
}

std::string LGClockVariableFontPostScriptName() {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    return s.postScriptName;
}

namespace lg::detail {

void resetClockVariableFontForTesting() {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.registered) text::unregisterFont(s.postScriptName);
    s.attempted = false;
    s.path.clear();
    s.graphicsFont.reset();
    s.postScriptName.clear();
    s.registered = false;
    s.identifiers.clear();
    s.ranges.clear();
    s.cache.clear();
}

size_t clockVariableFontCacheSizeForTesting() {
    LoaderState& s = state();
    std::lock_guard lock(s.mutex);
    return s.cache.size();
}

}  // namespace lg::detail

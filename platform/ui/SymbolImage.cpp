#include "platform/ui/SymbolImage.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "platform/graphics/Context.h"
#include "platform/graphics/ImageContext.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"
#include "platform/text/TextLine.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

constexpr const char* kIconFontPath =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

struct Symbol {
    std::string_view name;
    const char* utf8;
};

// The font's code points for the names the interface uses.
constexpr Symbol kSymbols[] = {
    {"chevron.right", "\xEE\x97\x8C"},      // U+E5CC
    {"chevron.left", "\xEE\x97\x8B"},       // U+E5CB
    {"chevron.down", "\xEE\x97\x8F"},       // U+E5CF
    {"chevron.up", "\xEE\x97\x8E"},         // U+E5CE
    {"checkmark", "\xEE\x97\x8A"},          // U+E5CA
    {"xmark", "\xEE\x97\x8D"},              // U+E5CD
    {"xmark.circle.fill", "\xEE\x97\x89"},  // U+E5C9
};

std::mutex gTemplateLock;
// Keyed by address; the weak reference tells a live image from a new one at a reused address.
std::map<const graphics::Image*, std::weak_ptr<const graphics::Image>>& templates() {
    static auto* const map =
        new std::map<const graphics::Image*, std::weak_ptr<const graphics::Image>>();
    return *map;
}

}  // namespace

void markAsTemplate(const graphics::ImageRef& image) {
    if (!image) return;
    std::lock_guard lock(gTemplateLock);
    auto& map = templates();
    std::erase_if(map, [](const auto& entry) { return entry.second.expired(); });
    map[image.get()] = image;
}

bool isTemplateImage(const graphics::ImageRef& image) {
    if (!image) return false;
    std::lock_guard lock(gTemplateLock);
    const auto it = templates().find(image.get());
    return it != templates().end() && it->second.lock() == image;
}

graphics::ImageRef systemImage(std::string_view name, double pointSize) {
    if (!std::isfinite(pointSize) || pointSize <= 0) return nullptr;
    const Symbol* symbol = nullptr;
    for (const Symbol& s : kSymbols) {
        if (s.name == name) symbol = &s;
    }
    if (symbol == nullptr) return nullptr;
    // The icon font draws its glyphs well inside the em square; this brings a symbol's ink to
    // about the size the phone's symbols have at the same point size.
    constexpr double kInkScale = 1.4;
    const std::shared_ptr<const text::Font> font =
        text::Font::fromFile(kIconFontPath, pointSize * kInkScale);
    if (!font) {
        static std::once_flag reported;
        std::call_once(reported, [] {
            std::fprintf(stderr, "[ui] symbol images need the icon font %s\n", kIconFontPath);
        });
        return nullptr;
    }
    text::AttributedString string(
        symbol->utf8, {{std::string(text::kLayoutFontAttribute), font},
                       {std::string(text::kLayoutForegroundColorAttribute), base::Color::black()}});
    const std::shared_ptr<const text::TextLine> line = text::TextLine::create(string);
    if (!line) return nullptr;
    const base::Rect ink = line->glyphPathBounds();
    if (ink.isNull() || ink.isEmpty()) return nullptr;
    const base::Rect box = ink.integral();
    auto context = graphics::ImageContext::begin(box.size, false, Screen::main()->scale());
    if (!context) return nullptr;
    graphics::Context& c = context->context();
    // Line coordinates grow upward; the image's grow downward.
    c.translate(-box.minX(), box.maxY());
    c.scale(1, -1);
    c.setTextPosition({0, 0});
    line->draw(c);
    graphics::ImageRef image = context->image();
    markAsTemplate(image);
    return image;
}

graphics::ImageRef tintedImage(const graphics::Image& image, const base::Color& color) {
    auto context = graphics::ImageContext::begin(image.size(), false, image.scale());
    if (!context) return nullptr;
    const base::Rect rect{{0, 0}, image.size()};
    context->context().drawImage(image, rect);
    context->context().fillRect(rect, color, graphics::BlendMode::SourceIn);
    return context->image();
}

}  // namespace ui

#include "platform/text/FontRegistry.h"

#include <map>
#include <mutex>

#include "platform/text/detail/FontFace.h"

namespace text {

namespace {

std::mutex gMutex;

std::map<std::string, std::shared_ptr<const detail::FontFace>>& registry() {
    static auto* fonts = new std::map<std::string, std::shared_ptr<const detail::FontFace>>();
    return *fonts;
}

}  // namespace

bool registerFont(const Font& font, std::string* reason) {
    const std::string& name = font.postScriptName();
    std::lock_guard lock(gMutex);
    auto [it, inserted] = registry().emplace(name, font.face());
    if (!inserted) {
        if (reason) *reason = "a font named \"" + name + "\" is already registered";
        return false;
    }
    return true;
}

std::string registerFontFile(const std::string& path, std::string* reason) {
    auto font = Font::fromFile(path, 12, reason);
    if (!font || !registerFont(*font, reason)) return {};
    return font->postScriptName();
}

bool unregisterFont(const std::string& postScriptName) {
    std::lock_guard lock(gMutex);
    return registry().erase(postScriptName) > 0;
}

namespace detail {

std::shared_ptr<const FontFace> registeredFace(const std::string& postScriptName) {
    std::lock_guard lock(gMutex);
    auto it = registry().find(postScriptName);
    return it == registry().end() ? nullptr : it->second;
}

}  // namespace detail

}  // namespace text

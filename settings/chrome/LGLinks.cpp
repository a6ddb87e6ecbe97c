#include <cctype>

#include "platform/ui/Application.h"
#include "settings/chrome/LGPageChrome.h"

const char* const kLGPackageRepositoryURL = "https://velk.example/repo/";
const char* const kLGChatChannelURL = "https://velk.example/channel";
const char* const kLGChatGroupURL = "https://velk.example/group";

namespace {

bool isUnreserved(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isReserved(unsigned char c) {
    static constexpr std::string_view kReserved = ":/?#[]@!$&'()*+,;=";
    return kReserved.find(char(c)) != std::string_view::npos;
}

bool isOpenableURL(std::string_view url) {
    // Pass 1: a scheme, letter first, then letters, digits, "+", "-" or ".", ended by ":". The
    // application opens URLs by scheme, so a relative reference has nothing to open.
    const std::size_t colon = url.find(':');
    if (colon == 0 || colon == std::string_view::npos ||
        !std::isalpha(static_cast<unsigned char>(url[0]))) {
        return false;
    }
    for (std::size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    // Pass 2: the rest holds only characters a URL may carry as they are; anything else (space,
    // quotes, angle brackets, bytes beyond ASCII) has to arrive percent-encoded, and every "%"
    // must start a valid escape.
    for (std::size_t i = colon + 1; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (c == '%') {
            if (i + 2 >= url.size() || !std::isxdigit(static_cast<unsigned char>(url[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(url[i + 2]))) {
                return false;
            }
            i += 2;
        } else if (!isUnreserved(c) && !isReserved(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool LGOpenURLString(std::string_view url) {
    if (!isOpenableURL(url)) return false;
    // The result of opening is not the page's business: no completion handler.
    ui::Application::shared()->openURL(std::string(url), ui::Application::OpenURLOptions{},
                                       nullptr);
    return true;
}

#include "hosts/window/WindowOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kMaxCoordinate = 100000;

std::optional<int> parseCoordinate(const std::string& text) {
    if (text.empty() || text.size() > 7) return std::nullopt;
    std::size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (value > kMaxCoordinate) return std::nullopt;
    return start ? -value : value;
}

}  // namespace

std::optional<double> parseWindowScale(const std::string& text) {
    // strtod alone would accept "inf", hex floats and leading blanks.
    if (text.empty() || text.size() > 16) return std::nullopt;
    for (char c : text) {
        if ((c < '0' || c > '9') && c != '.') return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    if (value < kMinWindowScale || value > kMaxWindowScale) return std::nullopt;
    return value;
}

WindowOptionParse takeWindowOption(const std::vector<std::string>& args, std::size_t& i,
                                   WindowOptions& options, std::string& error) {
    const std::string& arg = args[i];
    if (arg == "--window") {
        options.enabled = true;
        return WindowOptionParse::Taken;
    }
    if (arg != "--window-scale" && arg != "--window-position") return WindowOptionParse::NotMine;
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = arg + " needs a value";
        return WindowOptionParse::Invalid;
    }
    const std::string& value = args[i + 1];
    if (arg == "--window-scale" ? options.scaleGiven : options.positionGiven) {
        error = arg + " given twice";
        return WindowOptionParse::Invalid;
    }
    if (arg == "--window-scale") {
        const auto scale = parseWindowScale(value);
        if (!scale) {
            error = "--window-scale must be a number from 0.25 to 4 (got '" + value + "')";
            return WindowOptionParse::Invalid;
        }
        options.scale = *scale;
        options.scaleGiven = true;
    } else {
        const auto comma = value.find(',');
        const auto x =
            comma == std::string::npos ? std::nullopt : parseCoordinate(value.substr(0, comma));
        const auto y =
            comma == std::string::npos ? std::nullopt : parseCoordinate(value.substr(comma + 1));
        if (!x || !y) {
            error = "--window-position must be X,Y in whole pixels (got '" + value + "')";
            return WindowOptionParse::Invalid;
        }
        options.x = x;
        options.y = y;
        options.positionGiven = true;
    }
    ++i;
    return WindowOptionParse::Taken;
}

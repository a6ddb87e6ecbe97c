#include "hosts/quorvane/DefaultsArguments.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/base/Utf8.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/prefs/PreferenceService.h"

const char kDefaultsUsageText[] =
    "usage: quorvane defaults read <domain> [key]\n"
    "       quorvane defaults write <domain> <key> [-string|-int|-float|-bool] <value>\n"
    "       quorvane defaults delete <domain> [key]\n"
    "options: --notify <name>  post the cross-process notification <name> after a change\n"
    "         --help, --version\n";

namespace {

constexpr char kPrefix[] = "quorvane defaults: ";

DefaultsParse usage(std::string error = {}) {
    return {std::nullopt, error.empty() ? std::string() : kPrefix + error};
}

bool isTypeFlag(const std::string& word) {
    return word == "-string" || word == "-int" || word == "-integer" || word == "-float" ||
           word == "-bool" || word == "-boolean";
}

std::optional<int64_t> parseInteger(const std::string& text) {
    int64_t value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end) return std::nullopt;
    return value;
}

// A finite double. Text that rounds to a subnormal number is accepted as that number; text
// beyond the double range, or so small that it would be stored as zero, is refused.
std::optional<double> parseReal(const std::string& text, std::string* why) {
    *why = "a finite number";
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return std::nullopt;
    // Beyond the double range strtod gives infinity.
    if (!std::isfinite(value)) return std::nullopt;
    if (errno == ERANGE && value == 0.0) {
        *why = "a number that is 0 or at least about 4.9e-324 in size";
        return std::nullopt;
    }
    return value;
}

std::optional<bool> parseBool(std::string text) {
    for (auto& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (text == "true" || text == "yes" || text == "1") return true;
    if (text == "false" || text == "no" || text == "0") return false;
    return std::nullopt;
}

// The value of a write: "[-type] value".
base::PlistPtr parseValue(const std::vector<std::string>& words, std::string* error) {
    if (words.size() == 1) {
        // A lone type flag is a value forgotten, not a string that happens to look like one.
        if (isTypeFlag(words[0])) {
            *error = words[0] + " needs a value after it";
            return nullptr;
        }
        if (!base::isValidUtf8(words[0])) {
            *error = "the value is not valid UTF-8 text";
            return nullptr;
        }
        return base::PlistValue::string(words[0]);
    }
    const std::string& type = words[0];
    const std::string& text = words[1];
    if (words.size() != 2 || !isTypeFlag(type)) {
        *error = isTypeFlag(type) || !type.starts_with("-")
                     ? "write takes one value"
                     : "unknown value type '" + type + "' (use -string, -int, -float or -bool)";
        return nullptr;
    }
    if (type == "-string") {
        if (base::isValidUtf8(text)) return base::PlistValue::string(text);
        *error = "-string needs valid UTF-8 text";
        return nullptr;
    }
    if (type == "-int" || type == "-integer") {
        if (auto value = parseInteger(text)) return base::PlistValue::integer(*value);
        *error = type + " needs a whole number in the 64-bit range, got '" + text + "'";
        return nullptr;
    }
    if (type == "-float") {
        std::string why;
        if (auto value = parseReal(text, &why)) return base::PlistValue::real(*value);
        *error = "-float needs " + why + ", got '" + text + "'";
        return nullptr;
    }
    if (auto value = parseBool(text)) return base::PlistValue::boolean(*value);
    *error = type + " needs true, false, yes, no, 1 or 0, got '" + text + "'";
    return nullptr;
}

}  // namespace

DefaultsParse parseDefaultsArguments(const std::vector<std::string>& args) {
    DefaultsRequest request;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            request.verb = DefaultsRequest::Verb::Help;
            return {request, {}};
        }
        if (arg == "--version") {
            request.verb = DefaultsRequest::Verb::Version;
            return {request, {}};
        }
        if (arg == "--notify") {
            if (i + 1 >= args.size()) return usage("--notify needs a notification name");
            const std::string& name = args[++i];
            if (!notify::DarwinNotifyCenter::isValidName(name) || !base::isValidUtf8(name)) {
                return usage("'" + name + "' is not a valid notification name");
            }
            request.notifyName = name;
            continue;
        }
        words.push_back(arg);
    }
    if (words.size() < 2) return usage();

    const std::string& verb = words[0];
    request.domain = words[1];
    if (verb == "read") {
        request.verb = DefaultsRequest::Verb::Read;
    } else if (verb == "write") {
        request.verb = DefaultsRequest::Verb::Write;
    } else if (verb == "delete") {
        request.verb = DefaultsRequest::Verb::Delete;
    } else {
        return usage("unknown command '" + verb + "'");
    }
    if (!prefs::PreferenceService::isValidDomainName(request.domain) ||
        !base::isValidUtf8(request.domain)) {
        return usage("'" + request.domain + "' is not a valid domain name");
    }

    if (request.verb == DefaultsRequest::Verb::Write) {
        if (words.size() < 4) return usage();
        request.key = words[2];
        if (request.key->empty()) return usage("the key must not be empty");
        if (!base::isValidUtf8(*request.key)) return usage("the key is not valid UTF-8 text");
        std::string error;
        request.value =
            parseValue(std::vector<std::string>(words.begin() + 3, words.end()), &error);
        if (!request.value) return usage(error);
        return {request, {}};
    }
    if (words.size() > 3) return usage();
    if (words.size() == 3) request.key = words[2];
    return {request, {}};
}

#include "hosts/quorvane/DefaultsCommand.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "platform/base/DeviceRoot.h"
#include "platform/base/PropertyList.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/prefs/PreferenceFile.h"
#include "platform/prefs/PreferenceService.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr char kUsageText[] =
    "usage: quorvane defaults read <domain> [key]\n"
    "       quorvane defaults write <domain> <key> [-string|-int|-float|-bool] <value>\n"
    "       quorvane defaults delete <domain> [key]\n"
    "options: --notify <name>  post the cross-process notification <name> after a change\n";

struct Options {
    std::vector<std::string> words;  // the arguments without the options
    std::optional<std::string> notifyName;
};

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::ostream& err) {
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--notify") {
            if (i + 1 >= args.size()) {
                err << "quorvane defaults: --notify needs a notification name\n";
                return std::nullopt;
            }
            options.notifyName = args[++i];
            if (!notify::DarwinNotifyCenter::isValidName(*options.notifyName)) {
                err << "quorvane defaults: '" << *options.notifyName
                    << "' is not a valid notification name\n";
                return std::nullopt;
            }
            continue;
        }
        options.words.push_back(args[i]);
    }
    return options;
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

std::optional<double> parseReal(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value)) {
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
base::PlistPtr parseValue(const std::vector<std::string>& words, std::ostream& err) {
    if (words.size() == 1) return base::PlistValue::string(words[0]);
    const std::string& type = words[0];
    const std::string& text = words[1];
    if (words.size() != 2) {
        err << "quorvane defaults: write takes one value\n";
        return nullptr;
    }
    if (type == "-string") return base::PlistValue::string(text);
    if (type == "-int" || type == "-integer") {
        if (auto value = parseInteger(text)) return base::PlistValue::integer(*value);
        err << "quorvane defaults: " << type << " needs a whole number in the 64-bit range, got '"
            << text << "'\n";
        return nullptr;
    }
    if (type == "-float") {
        if (auto value = parseReal(text)) return base::PlistValue::real(*value);
        err << "quorvane defaults: -float needs a finite number, got '" << text << "'\n";
        return nullptr;
    }
    if (type == "-bool" || type == "-boolean") {
        if (auto value = parseBool(text)) return base::PlistValue::boolean(*value);
        err << "quorvane defaults: " << type << " needs true, false, yes, no, 1 or 0, got '" << text
            << "'\n";
        return nullptr;
    }
    err << "quorvane defaults: unknown value type '" << type
        << "' (use -string, -int, -float or -bool)\n";
    return nullptr;
}

// Reads the domain's file as it is on disk, telling a missing domain from an unreadable one.
int readCommand(prefs::PreferenceService& service, const std::string& domain,
                const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    std::string path = service.pathForDomain(domain);
    auto contents = prefs::readPreferenceFile(path);
    if (contents.status == prefs::PreferenceFileContents::Status::Unreadable) {
        err << "quorvane defaults: " << path << " is not a readable property list\n";
        return kFailed;
    }
    if (words.size() == 2) {
        if (contents.status == prefs::PreferenceFileContents::Status::Missing) {
            err << "Domain " << domain << " does not exist\n";
            return kFailed;
        }
        out << contents.dictionary->description() << "\n";
        return kOk;
    }
    auto value = contents.dictionary->objectForKey(words[2]);
    if (!value) {
        err << "The domain/default pair of (" << domain << ", " << words[2] << ") does not exist\n";
        return kFailed;
    }
    out << value->description() << "\n";
    return kOk;
}

}  // namespace

int runDefaultsCommand(const std::vector<std::string>& args, const std::string& deviceRoot) {
    return runDefaultsCommand(args, deviceRoot, std::cout, std::cerr);
}

int runDefaultsCommand(const std::vector<std::string>& args, const std::string& deviceRoot,
                       std::ostream& out, std::ostream& err) {
    auto options = parseOptions(args, err);
    if (!options) return kUsage;
    const auto& words = options->words;
    if (words.size() < 2) {
        err << kUsageText;
        return kUsage;
    }
    const std::string& verb = words[0];
    const std::string& domain = words[1];
    if (!prefs::PreferenceService::isValidDomainName(domain)) {
        err << "quorvane defaults: '" << domain << "' is not a valid domain name\n";
        return kUsage;
    }
    base::setDeviceRoot(deviceRoot);
    auto& service = prefs::PreferenceService::shared();
    // Start from the file as it is now, not from what this process may have cached.
    service.synchronize(domain);

    if (verb == "read") {
        if (words.size() > 3) {
            err << kUsageText;
            return kUsage;
        }
        return readCommand(service, domain, words, out, err);
    }

    if (verb == "write") {
        if (words.size() < 4 || words[2].empty()) {
            err << kUsageText;
            return kUsage;
        }
        auto value = parseValue(std::vector<std::string>(words.begin() + 3, words.end()), err);
        if (!value) return kUsage;
        service.setValue(words[2], value, domain);
    } else if (verb == "delete") {
        if (words.size() > 3) {
            err << kUsageText;
            return kUsage;
        }
        auto all = service.copyAll(domain)->dictionaryValue();
        if (words.size() == 3) {
            if (!all.count(words[2])) {
                err << "The domain/default pair of (" << domain << ", " << words[2]
                    << ") does not exist\n";
                return kFailed;
            }
            service.setValue(words[2], nullptr, domain);
        } else {
            for (const auto& [key, value] : all) service.setValue(key, nullptr, domain);
        }
    } else {
        err << "quorvane defaults: unknown command '" << verb << "'\n" << kUsageText;
        return kUsage;
    }

    if (!service.synchronize(domain)) {
        err << "quorvane defaults: could not write " << service.pathForDomain(domain) << "\n";
        return kFailed;
    }
    if (options->notifyName) notify::DarwinNotifyCenter::shared().post(*options->notifyName);
    return kOk;
}

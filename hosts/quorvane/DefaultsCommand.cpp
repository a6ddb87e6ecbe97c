#include "hosts/quorvane/DefaultsCommand.h"

#include <iostream>

#include "hosts/quorvane/DefaultsArguments.h"
#include "platform/base/DeviceRoot.h"
#include "platform/base/PropertyList.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/prefs/PreferenceFile.h"
#include "platform/prefs/PreferenceService.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

using Status = prefs::PreferenceFileContents::Status;

// The domain's file as it is on disk, or the error line for one that cannot be used.
std::optional<prefs::PreferenceFileContents> readDomainFile(const std::string& path,
                                                            std::ostream& err) {
    auto contents = prefs::readPreferenceFile(path);
    if (contents.status == Status::Corrupt) {
        err << "quorvane defaults: " << path << " is not a readable property list\n";
        return std::nullopt;
    }
    if (contents.status == Status::Inaccessible) {
        err << "quorvane defaults: cannot read " << contents.error << "\n";
        return std::nullopt;
    }
    return contents;
}

int readCommand(const std::string& path, const DefaultsRequest& request, std::ostream& out,
                std::ostream& err) {
    auto contents = readDomainFile(path, err);
    if (!contents) return kFailed;
    if (!request.key) {
        if (contents->status == Status::Missing) {
            err << "Domain " << request.domain << " does not exist\n";
            return kFailed;
        }
        out << contents->dictionary->description() << "\n";
        return kOk;
    }
    auto value = contents->dictionary->objectForKey(*request.key);
    if (!value) {
        err << "The domain/default pair of (" << request.domain << ", " << *request.key
            << ") does not exist\n";
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
    const DefaultsParse parsed = parseDefaultsArguments(args);
    if (!parsed.request) {
        // The usage first, then the line that says what was wrong, so the error is the last
        // thing a user sees.
        if (parsed.error.empty()) {
            err << kDefaultsUsageText;
        } else {
            err << parsed.error << "\n";
        }
        return kUsage;
    }
    const DefaultsRequest& request = *parsed.request;
    if (request.verb == DefaultsRequest::Verb::Help) {
        out << kDefaultsUsageText;
        return kOk;
    }
    if (request.verb == DefaultsRequest::Verb::Version) {
        out << "quorvane defaults " << QV_VERSION << "\n";
        return kOk;
    }

    base::setDeviceRoot(deviceRoot);
    auto& service = prefs::PreferenceService::shared();
    const std::string& domain = request.domain;
    const std::string path = service.pathForDomain(domain);
    // Start from the file as it is now, not from what this process may have cached.
    service.synchronize(domain);

    if (request.verb == DefaultsRequest::Verb::Read) return readCommand(path, request, out, err);

    if (request.verb == DefaultsRequest::Verb::Write) {
        service.setValue(*request.key, request.value, domain);
    } else {
        // A delete needs to know what is there: a domain we cannot read is an error, never an
        // empty domain that was "deleted".
        auto contents = readDomainFile(path, err);
        if (!contents) return kFailed;
        auto all = service.copyAll(domain)->dictionaryValue();
        if (request.key) {
            if (!all.count(*request.key)) {
                err << "The domain/default pair of (" << domain << ", " << *request.key
                    << ") does not exist\n";
                return kFailed;
            }
            service.setValue(*request.key, nullptr, domain);
        } else {
            for (const auto& [key, value] : all) service.setValue(key, nullptr, domain);
        }
    }

    std::string error;
    if (!service.synchronize(domain, &error)) {
        err << "quorvane defaults: " << error << "\n";
        return kFailed;
    }
    if (request.notifyName) notify::DarwinNotifyCenter::shared().post(*request.notifyName);
    return kOk;
}

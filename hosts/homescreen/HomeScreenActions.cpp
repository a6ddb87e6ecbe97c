#include "hosts/homescreen/HomeScreenActions.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "hosts/scene/SnapshotFile.h"
#include "hosts/scene/ViewTreeDescription.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/dispatch/WallClock.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/prefs/PreferenceService.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Screen.h"

namespace {

using scene::Json;
using scene::ParamKind;
using scene::ParamSpec;
using scene::Step;

constexpr int kMaxFrames = 600;

std::string stringParam(const Step& step, const char* name, std::string fallback = {}) {
    const auto it = step.params.find(name);
    return it != step.params.end() && it->is_string() ? it->get<std::string>() : fallback;
}

double numberParam(const Step& step, const char* name, double fallback) {
    const auto it = step.params.find(name);
    return it != step.params.end() && it->is_number() ? it->get<double>() : fallback;
}

bool boolParam(const Step& step, const char* name, bool fallback) {
    const auto it = step.params.find(name);
    return it != step.params.end() && it->is_boolean() ? it->get<bool>() : fallback;
}

base::PlistPtr plistFromJson(const Json& value) {
    if (value.is_boolean()) return base::PlistValue::boolean(value.get<bool>());
    if (value.is_number_integer()) return base::PlistValue::integer(value.get<std::int64_t>());
    if (value.is_number_unsigned()) {
        return base::PlistValue::unsignedInteger(value.get<std::uint64_t>());
    }
    if (value.is_number()) return base::PlistValue::real(value.get<double>());
    return base::PlistValue::string(value.get<std::string>());
}

std::string reloadNotificationName(const Json& step) {
    const std::string domain = step.value("domain", std::string("com.velk.quorvane"));
    const auto notify = step.find("notify");
    if (notify == step.end()) return {};
    if (notify->is_boolean()) return notify->get<bool>() ? domain + "/ReloadPrefs" : std::string();
    return notify->is_string() ? notify->get<std::string>() : std::string();
}

// Wraps a run function so that it never runs without a lock screen.
scene::ActionSpec action(
    std::string name, std::vector<ParamSpec> params,
    const std::unique_ptr<lockscreen::LockScreen>& lockScreen,
    std::function<bool(lockscreen::LockScreen&, const Step&, std::string&)> run,
    std::function<std::string(const Json&)> validate = {}) {
    scene::ActionSpec definition;
    definition.name = std::move(name);
    definition.params = std::move(params);
    definition.validate = std::move(validate);
    definition.run = [&lockScreen, run = std::move(run)](const Step& step, std::string& error) {
        if (!lockScreen) {
            error = "there is no lock screen";
            return false;
        }
        return run(*lockScreen, step, error);
    };
    return definition;
}

}  // namespace

scene::ActionTable makeHomeScreenActions(const std::unique_ptr<lockscreen::LockScreen>& lockScreen,
                                         const std::string& outputDirectory) {
    scene::ActionTable table;
    using L = lockscreen::LockScreen;

    table.add(action("wait", {}, lockScreen, [](L&, const Step&, std::string&) { return true; }));

    table.add(action("minute", {{"count", ParamKind::Integer, false, 1, 1440}}, lockScreen,
                     [](L&, const Step& step, std::string&) {
                         using namespace std::chrono;
                         const int count = int(numberParam(step, "count", 1));
                         for (int i = 0; i < count; ++i) {
                             const auto intoMinute =
                                 duration_cast<nanoseconds>(
                                     dispatch::wallClockNow().time_since_epoch()) %
                                 minutes(1);
                             const dispatch::Nanos toNext = (minutes(1) - intoMinute).count();
                             dispatch::RunLoop::main().runUntil(dispatch::nowNanos() + toNext);
                         }
                         return true;
                     }));

    const ParamSpec idSpec{"id", ParamKind::String, true, 1, 64};
    table.add(action("notification",
                     {idSpec,
                      {"app", ParamKind::String, false, 0, 64},
                      {"title", ParamKind::String, false, 0, 200},
                      {"body", ParamKind::String, false, 0, 1000},
                      {"expanded", ParamKind::Boolean}},
                     lockScreen, [](L& lock, const Step& step, std::string& error) {
                         lockscreen::Notification n;
                         n.identifier = stringParam(step, "id");
                         n.app = stringParam(step, "app", "MESSAGES");
                         n.title = stringParam(step, "title");
                         n.body = stringParam(step, "body");
                         n.expanded = boolParam(step, "expanded", false);
                         if (!lock.addNotification(n)) {
                             error = "a notification \"" + n.identifier + "\" is already shown";
                             return false;
                         }
                         return true;
                     }));

    table.add(action("remove-notification", {idSpec}, lockScreen,
                     [](L& lock, const Step& step, std::string& error) {
                         const std::string id = stringParam(step, "id");
                         if (!lock.removeNotification(id)) {
                             error = "no notification \"" + id + "\" is shown";
                             return false;
                         }
                         return true;
                     }));

    table.add(action(
        "scroll",
        {{"target", ParamKind::String, true, 1, 8, {"page", "list"}},
         {"page", ParamKind::Number, false, 0, 2},
         {"y", ParamKind::Number, false, -10000, 100000},
         {"animated", ParamKind::Boolean}},
        lockScreen,
        [](L& lock, const Step& step, std::string&) {
            const bool animated = boolParam(step, "animated", false);
            if (stringParam(step, "target") == "page") {
                lock.scrollToPage(numberParam(step, "page", 1), animated);
            } else {
                lock.scrollList(numberParam(step, "y", 0), animated);
            }
            return true;
        },
        [](const Json& step) -> std::string {
            const bool page = step.value("target", std::string()) == "page";
            if (page && !step.contains("page")) return "scrolling the pages needs \"page\"";
            if (!page && !step.contains("y")) return "scrolling the list needs \"y\"";
            if (page && step.contains("y")) return "\"y\" scrolls the list, not the pages";
            if (!page && step.contains("page")) return "\"page\" scrolls the pages, not the list";
            return {};
        }));

    table.add(action("camera", {{"open", ParamKind::Boolean, true}}, lockScreen,
                     [](L& lock, const Step& step, std::string&) {
                         lock.setCameraOpen(boolParam(step, "open", false));
                         return true;
                     }));

    table.add(action("passcode", {{"show", ParamKind::Boolean, true}}, lockScreen,
                     [](L& lock, const Step& step, std::string&) {
                         lock.setPasscodeVisible(boolParam(step, "show", false));
                         return true;
                     }));

    table.add(action(
        "orientation", {{"to", ParamKind::String, true, 1, 16, {"portrait", "landscape"}}},
        lockScreen, [](L& lock, const Step& step, std::string&) {
            const base::Size portrait = ui::Screen::main()->bounds().size;
            const bool landscape = stringParam(step, "to") == "landscape";
            lock.setScreenSize(landscape ? base::Size{portrait.height, portrait.width} : portrait);
            return true;
        }));

    table.add(action("appearance", {{"style", ParamKind::String, true, 1, 8, {"light", "dark"}}},
                     lockScreen, [](L&, const Step& step, std::string&) {
                         ui::Screen::main()->setUserInterfaceStyle(
                             stringParam(step, "style") == "dark" ? ui::UserInterfaceStyle::Dark
                                                                  : ui::UserInterfaceStyle::Light);
                         return true;
                     }));

    table.add(action(
        "preference",
        {{"key", ParamKind::String, true, 1, 256},
         {"value", ParamKind::Scalar, true},
         {"domain", ParamKind::String, false, 1, 256},
         {"notify", ParamKind::Scalar}},
        lockScreen,
        [](L&, const Step& step, std::string& error) {
            const std::string domain = stringParam(step, "domain", "com.velk.quorvane");
            auto& service = prefs::PreferenceService::shared();
            service.setValue(stringParam(step, "key"), plistFromJson(step.params.at("value")),
                             domain);
            if (!service.synchronize(domain)) {
                error = "the domain " + domain + " could not be written";
                return false;
            }
            if (const std::string name = reloadNotificationName(step.params); !name.empty()) {
                notify::DarwinNotifyCenter::shared().post(name);
            }
            return true;
        },
        [](const Json& step) -> std::string {
            const std::string domain = step.value("domain", std::string("com.velk.quorvane"));
            if (!prefs::PreferenceService::isValidDomainName(domain)) {
                return "\"" + domain + "\" is not a preference domain name";
            }
            const auto notify = step.find("notify");
            if (notify != step.end() && !notify->is_boolean() && !notify->is_string()) {
                return "\"notify\" must be true, false or a notification name";
            }
            const std::string name = reloadNotificationName(step);
            if (!name.empty() && !notify::DarwinNotifyCenter::isValidName(name)) {
                return "\"" + name + "\" is not a notification name";
            }
            return {};
        }));

    table.add(action(
        "snapshot", {{"file", ParamKind::String, true, 5, 128}}, lockScreen,
        [outputDirectory](L& lock, const Step& step, std::string& error) {
            lock.layoutIfNeeded();
            return scene::writeScreenSnapshot(outputDirectory, stringParam(step, "file"), error);
        },
        [](const Json& step) -> std::string {
            const std::string file = step.value("file", std::string());
            return scene::isSnapshotFileName(file)
                       ? std::string()
                       : "\"file\" must be a plain name ending in .png (letters, digits, '.', "
                         "'-', '_'), got \"" +
                             file + "\"";
        }));

    table.add(action(
        "frames",
        {{"count", ParamKind::Integer, true, 1, kMaxFrames},
         {"prefix", ParamKind::String, true, 1, 64}},
        lockScreen,
        [outputDirectory](L& lock, const Step& step, std::string& error) {
            const int count = int(numberParam(step, "count", 1));
            const std::string prefix = stringParam(step, "prefix");
            for (int i = 0; i < count; ++i) {
                if (i > 0) ui::testing::runFrames(1);
                lock.layoutIfNeeded();
                char suffix[16];
                std::snprintf(suffix, sizeof suffix, "-%03d.png", i);
                if (!scene::writeScreenSnapshot(outputDirectory, prefix + suffix, error)) {
                    return false;
                }
            }
            return true;
        },
        [](const Json& step) -> std::string {
            const std::string prefix = step.value("prefix", std::string());
            return scene::isSnapshotFileName(prefix + "-000.png")
                       ? std::string()
                       : "\"prefix\" must be a plain file name (letters, digits, '.', '-', '_')";
        }));

    table.add(action(
        "describe", {{"file", ParamKind::String, true, 5, 128}}, lockScreen,
        [outputDirectory](L& lock, const Step& step, std::string& error) {
            lock.layoutIfNeeded();
            return scene::writeWindowDescription(outputDirectory, stringParam(step, "file"), error);
        },
        [](const Json& step) -> std::string {
            return scene::isDescriptionFileName(step.value("file", std::string()))
                       ? std::string()
                       : "\"file\" must be a plain name ending in .txt";
        }));

    // For scenes driven from outside: a file that says the host got this far, and a wait (on the
    // real clock, bounded) for a notification another process posts.
    table.add(action(
        "mark", {{"file", ParamKind::String, true, 5, 128}}, lockScreen,
        [outputDirectory](L&, const Step& step, std::string& error) {
            return scene::writeSceneTextFile(outputDirectory, stringParam(step, "file"),
                                             std::to_string(::getpid()) + "\n", error);
        },
        [](const Json& step) -> std::string {
            return scene::isDescriptionFileName(step.value("file", std::string()))
                       ? std::string()
                       : "\"file\" must be a plain name ending in .txt";
        }));

    table.add(action(
        "await",
        {{"name", ParamKind::String, true, 1, 1000}, {"timeout", ParamKind::Number, false, 0, 60}},
        lockScreen, [](L&, const Step& step, std::string& error) {
            auto seen = std::make_shared<bool>(false);
            auto& center = notify::NotificationCenter::defaultCenter();
            const auto token =
                center.addObserver(stringParam(step, "name"), nullptr, dispatch::Queue::main(),
                                   [seen](const notify::Notification&) { *seen = true; });
            const auto deadline = std::chrono::steady_clock::now() +
                                  std::chrono::duration<double>(numberParam(step, "timeout", 10));
            while (!*seen && std::chrono::steady_clock::now() < deadline) {
                if (!dispatch::RunLoop::main().runOnce()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            }
            center.removeObserver(token);
            if (!*seen) error = "\"" + stringParam(step, "name") + "\" did not arrive in time";
            return *seen;
        }));

    return table;
}

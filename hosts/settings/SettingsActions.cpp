#include "hosts/settings/SettingsActions.h"

#include <cmath>

#include "hosts/scene/SnapshotFile.h"
#include "hosts/scene/ViewTreeDescription.h"
#include "hosts/settings/SettingsRootController.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/MenuPresentation.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TouchSource.h"
#include "platform/ui/Window.h"

const char* builtInSettingsScene(const std::string& name) {
    if (name == "root") {
        return R"({
  "comment": "The Settings app's root list as it looks at start.",
  "steps": [
    {"after": 0.5, "do": "snapshot", "file": "settings.png"}
  ]
})";
    }
    if (name == "page") {
        return R"({
  "comment": "The settings page of QuorvanePrefs, from its top to its bottom.",
  "steps": [
    {"after": 0.2, "do": "open", "bundle": "QuorvanePrefs"},
    {"after": 0.8, "do": "snapshot", "file": "page-top.png"},
    {"do": "scroll", "fraction": 1},
    {"after": 0.2, "do": "snapshot", "file": "page-bottom.png"}
  ]
})";
    }
    return nullptr;
}

namespace {

using scene::Json;
using scene::ParamKind;
using scene::ParamSpec;
using scene::Step;

constexpr double kTapSeconds = 0.05;
constexpr std::size_t kMaxPathPoints = 1000;
constexpr double kCoordinateLimit = 100000;

std::string stringParam(const Step& step, const char* name) {
    const auto it = step.params.find(name);
    return it != step.params.end() && it->is_string() ? it->get<std::string>() : std::string();
}

double numberParam(const Step& step, const char* name, double fallback) {
    const auto it = step.params.find(name);
    return it != step.params.end() && it->is_number() ? it->get<double>() : fallback;
}

void advance(double seconds) {
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos() + dispatch::nanosFromSeconds(seconds));
}

// The first scroll view, depth first, of the page on top whose content is taller than its frame:
// the page's own column, not a row's horizontal scroller.
std::shared_ptr<ui::ScrollView> mainScrollView(ui::NavigationController& nav) {
    const std::shared_ptr<ui::ViewController> top = nav.topViewController();
    if (!top || !top->isViewLoaded()) return nullptr;
    std::vector<std::shared_ptr<ui::View>> pending{top->view()};
    while (!pending.empty()) {
        const std::shared_ptr<ui::View> view = pending.front();
        pending.erase(pending.begin());
        auto scroller = std::dynamic_pointer_cast<ui::ScrollView>(view);
        if (scroller && !scroller->isHidden() &&
            scroller->contentSize().height > scroller->bounds().size.height) {
            return scroller;
        }
        pending.insert(pending.end(), view->subviews().begin(), view->subviews().end());
    }
    return nullptr;
}

// The alert shown over any controller of the navigation stack, if one is.
std::shared_ptr<ui::AlertController> shownAlert(ui::NavigationController& nav) {
    std::vector<std::shared_ptr<ui::ViewController>> candidates = nav.viewControllers();
    candidates.push_back(runtime::retained(static_cast<ui::ViewController*>(&nav)));
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto& c = candidates[i];
        if (!c) continue;
        if (auto presented = c->presentedViewController()) {
            if (auto alert = std::dynamic_pointer_cast<ui::AlertController>(presented))
                return alert;
            candidates.push_back(presented);
        }
        for (const auto& child : c->childViewControllers()) candidates.push_back(child);
    }
    return nullptr;
}

std::string checkPath(const Json& step) {
    const Json& path = step.at("path");
    if (path.size() < 2 || path.size() > kMaxPathPoints) {
        return "\"path\" needs between 2 and 1000 points";
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        const Json& p = path[i];
        if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number() ||
            !std::isfinite(p[0].get<double>()) || !std::isfinite(p[1].get<double>()) ||
            std::abs(p[0].get<double>()) > kCoordinateLimit ||
            std::abs(p[1].get<double>()) > kCoordinateLimit) {
            return "\"path\" point " + std::to_string(i) + " is not [x, y] in points";
        }
    }
    return {};
}

}  // namespace

scene::ActionTable makeSettingsActions(const std::shared_ptr<ui::NavigationController>& navigation,
                                       const std::shared_ptr<SettingsRootController>& root,
                                       const std::string& outputDirectory) {
    scene::ActionTable table;
    const ParamSpec x{"x", ParamKind::Number, true, -kCoordinateLimit, kCoordinateLimit};
    const ParamSpec y{"y", ParamKind::Number, true, -kCoordinateLimit, kCoordinateLimit};

    table.add({"wait", {}, {}, [](const Step&, std::string&) { return true; }});

    table.add({"tap", {x, y}, {}, [](const Step& step, std::string& error) {
                   ui::TouchSource& finger = ui::TouchSource::shared();
                   const base::Point p{numberParam(step, "x", 0), numberParam(step, "y", 0)};
                   if (!finger.tap(p, kTapSeconds)) {
                       error = "nothing takes a touch at that point";
                       return false;
                   }
                   return true;
               }});

    table.add({"drag",
               {{"path", ParamKind::Array, true}, {"duration", ParamKind::Number, false, 0, 60}},
               checkPath,
               [](const Step& step, std::string& error) {
                   ui::TouchSource& finger = ui::TouchSource::shared();
                   const Json& path = step.params.at("path");
                   const double duration = numberParam(step, "duration", 0.3);
                   const auto point = [&](std::size_t i) {
                       return base::Point{path[i][0].get<double>(), path[i][1].get<double>()};
                   };
                   if (!finger.touchDown(point(0))) {
                       error = "nothing takes a touch at the path's first point";
                       return false;
                   }
                   const double each = duration / double(path.size() - 1);
                   for (std::size_t i = 1; i < path.size(); ++i) {
                       advance(each);
                       finger.touchMove(point(i));
                   }
                   finger.touchUp(point(path.size() - 1));
                   return true;
               }});

    table.add({"type",
               {{"text", ParamKind::String, true, 0, 1000},
                {"replace", ParamKind::Boolean, false}},
               {},
               [](const Step& step, std::string& error) {
                   const auto field = ui::TextField::firstResponder();
                   if (!field) {
                       error = "no text field has the focus";
                       return false;
                   }
                   // Replacing deletes what the field holds first, as a person would.
                   const auto replace = step.params.find("replace");
                   if (replace != step.params.end() && replace->is_boolean() && replace->get<bool>()) {
                       for (std::size_t n = field->text().size(); n > 0 && !field->text().empty(); --n) {
                           field->deleteBackward();
                       }
                   }
                   field->insertText(stringParam(step, "text"));
                   return true;
               }});

    table.add({"choose",
               {{"title", ParamKind::String, true, 1, 200}},
               {},
               [navigation](const Step& step, std::string& error) {
                   const std::string title = stringParam(step, "title");
                   if (auto menu = ui::MenuPresentation::current()) {
                       if (menu->chooseEntryTitled(title)) return true;
                       error = "the open menu has no entry \"" + title + "\"";
                       return false;
                   }
                   if (auto alert = navigation ? shownAlert(*navigation) : nullptr) {
                       if (alert->chooseActionTitled(title)) return true;
                       error = "the alert has no button \"" + title + "\"";
                       return false;
                   }
                   error = "no menu or alert is shown";
                   return false;
               }});

    table.add({"open",
               {{"bundle", ParamKind::String, true, 1, 256}},
               {},
               [root](const Step& step, std::string& error) {
                   return root && root->openBundleNamed(stringParam(step, "bundle"), true, error);
               }});

    table.add({"back", {}, {}, [navigation](const Step&, std::string& error) {
                   if (!navigation || !navigation->popViewControllerAnimated(true)) {
                       error = "the root page has nothing to go back to";
                       return false;
                   }
                   return true;
               }});

    table.add({"expect-page",
               {{"title", ParamKind::String, true, 0, 256}},
               {},
               [navigation](const Step& step, std::string& error) {
                   const auto top = navigation ? navigation->topViewController() : nullptr;
                   const std::string want = stringParam(step, "title");
                   const std::string got = top ? top->title() : std::string();
                   if (got == want) return true;
                   error = "the page on top is \"" + got + "\", not \"" + want + "\"";
                   return false;
               }});

    table.add({"appearance",
               {{"style", ParamKind::String, true, 1, 8, {"light", "dark"}}},
               {},
               [](const Step& step, std::string&) {
                   ui::Screen::main()->setUserInterfaceStyle(stringParam(step, "style") == "dark"
                                                                 ? ui::UserInterfaceStyle::Dark
                                                                 : ui::UserInterfaceStyle::Light);
                   return true;
               }});

    table.add({"scroll",
               {{"fraction", ParamKind::Number, true, 0, 1}},
               {},
               [navigation](const Step& step, std::string& error) {
                   const std::shared_ptr<ui::ScrollView> scroller = mainScrollView(*navigation);
                   if (!scroller) {
                       error = "the page on top has no scroll view taller than its frame";
                       return false;
                   }
                   const double range = scroller->contentSize().height +
                                        scroller->adjustedContentInset().bottom -
                                        scroller->bounds().size.height;
                   const double top = -scroller->adjustedContentInset().top;
                   const double y = top + (range - top) * numberParam(step, "fraction", 0);
                   scroller->setContentOffset({scroller->contentOffset().x, y}, false);
                   return true;
               }});

    table.add({"describe",
               {{"file", ParamKind::String, true, 5, 128}},
               [](const Json& step) -> std::string {
                   const std::string file = step.value("file", std::string());
                   return scene::isDescriptionFileName(file)
                              ? std::string()
                              : "\"file\" must be a plain name ending in .txt, got \"" + file +
                                    "\"";
               },
               [outputDirectory](const Step& step, std::string& error) {
                   for (const auto& window : ui::Window::allWindows()) window->layoutIfNeeded();
                   return scene::writeWindowDescription(outputDirectory, stringParam(step, "file"),
                                                        error);
               }});

    table.add({"snapshot",
               {{"file", ParamKind::String, true, 5, 128}},
               [](const Json& step) -> std::string {
                   const std::string file = step.value("file", std::string());
                   return scene::isSnapshotFileName(file)
                              ? std::string()
                              : "\"file\" must be a plain name ending in .png (letters, digits, "
                                "'.', '-', '_'), got \"" +
                                    file + "\"";
               },
               [outputDirectory](const Step& step, std::string& error) {
                   for (const auto& window : ui::Window::allWindows()) window->layoutIfNeeded();
                   return scene::writeScreenSnapshot(outputDirectory, stringParam(step, "file"),
                                                     error);
               }});
    return table;
}

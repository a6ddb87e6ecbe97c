#include "hosts/quorvane/SettingsCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "hosts/quorvane/HostLauncher.h"

namespace {

const std::vector<std::string> kSceneOptions = {"--script", "--default-scene", "--scene"};

bool has(const std::vector<std::string>& args, const std::string& option) {
    return std::find(args.begin(), args.end(), option) != args.end();
}

int runHost(const std::vector<std::string>& args, const std::string& deviceRoot) {
    return runHostProgram("settings", "settings", QV_SETTINGS_PATH, args, deviceRoot, kSceneOptions,
                          "the Settings host");
}

}  // namespace

int runSettingsCommand(const std::vector<std::string>& args, const std::string& deviceRoot) {
    const bool namesScene = std::any_of(kSceneOptions.begin(), kSceneOptions.end(),
                                        [&](const std::string& o) { return has(args, o); });
    if (namesScene || has(args, "--help") || has(args, "-h") || has(args, "--version")) {
        return runHost(args, deviceRoot);
    }

    // Without a scene: the whole settings page for both system generations, light and dark, each
    // into a folder of its own under the output folder.
    std::string base = "out";
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "-o" || args[i] == "--output-dir") && i + 1 < args.size()) {
            base = args[++i];
        } else {
            rest.push_back(args[i]);
        }
    }
    for (const char* device : {"modern-phone", "legacy-phone"}) {
        for (const bool dark : {false, true}) {
            const std::string folder = base + "/settings-" + device + (dark ? "-dark" : "-light");
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            if (ec) {
                std::fprintf(stderr, "quorvane settings: cannot make %s: %s\n", folder.c_str(),
                             ec.message().c_str());
                return 1;
            }
            std::vector<std::string> variant = {"--scene", "page",         "--device",
                                                device,    "--output-dir", folder};
            if (dark) variant.push_back("--dark");
            variant.insert(variant.end(), rest.begin(), rest.end());
            if (const int status = runHost(variant, deviceRoot); status != 0) return status;
            std::printf("quorvane settings: wrote %s/page-top.png and page-bottom.png\n",
                        folder.c_str());
        }
    }
    return 0;
}

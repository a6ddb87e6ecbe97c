#pragma once

#include <string>

// The device root `quorvane preview` runs on when none is chosen: a new folder under the
// machine's temporary folder, laid out as every device is, with the deliverables copied in from
// the build's device tree the way the build lays them out (the tweak and its filter, the
// preference bundles). The preview's settings then start from their defaults every time and
// never touch another root's preferences.
class PreviewDeviceRoot {
  public:
    // Makes the folder and installs what `deviceTree` holds. False, with `error` set, when the
    // folder cannot be made or laid out; the deliverables are copied as far as they exist, and
    // `notes` receives a line for each one that is missing from the tree.
    bool create(const std::string& deviceTree, std::string& error, std::string& notes);
    // Removes the folder it made, with everything the hosts wrote into it.
    ~PreviewDeviceRoot();

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

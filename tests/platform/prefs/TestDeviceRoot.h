#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/DeviceRoot.h"

// A fresh temporary device root for one test, made the process's root while it lives; afterwards
// the previous root is restored and the folder removed.
class TestDeviceRoot {
  public:
    TestDeviceRoot() : previous_(base::deviceRoot()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        base::setDeviceRoot(path_);
    }
    ~TestDeviceRoot() {
        base::setDeviceRoot(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestDeviceRoot(const TestDeviceRoot&) = delete;
    TestDeviceRoot& operator=(const TestDeviceRoot&) = delete;

    const std::string& path() const { return path_; }
    // The host path of a phone path under this root.
    std::string resolve(const std::string& phonePath) const { return path_ + phonePath; }
    std::string preferencesFolder() const { return resolve("/var/mobile/Library/Preferences"); }

  private:
    std::string previous_;
    std::string path_;
};

inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string readFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFileBytes(const std::string& path, const void* bytes, size_t size) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), std::streamsize(size));
}

inline void writeFileText(const std::string& path, const std::string& text) {
    writeFileBytes(path, text.data(), text.size());
}

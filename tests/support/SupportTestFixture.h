#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/ProcessInfo.h"
#include "platform/base/PropertyList.h"
#include "platform/prefs/PreferenceService.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

// Each case starts as a fresh process would: a new device root, no snapshot, no subscription,
// no cached process facts, no log path, console lines captured.
class SupportTest : public ::testing::Test {
  protected:
    SupportTest() {
        resetSupport();
        lg::detail::setConsoleSinkForTesting([this](std::string_view line) {
            std::lock_guard lock(consoleMutex_);
            console_.emplace_back(line);
        });
    }
    ~SupportTest() override {
        resetSupport();
        lg::detail::setConsoleSinkForTesting(nullptr);
        base::setMainBundleIdentifier("");
    }

    static void resetSupport() {
        lg::detail::resetPrefsWriterForTesting();
        lg::detail::resetPrefsStoreForTesting();
        lg::detail::resetLogForTesting();
        lg::detail::resetProcessFactsForTesting();
    }

    // Writes the domain file as another process would.
    void storeDomain(const base::PlistDictionary& entries) {
        prefs::PreferenceService other(root.preferencesFolder());
        for (const auto& [key, value] : other.copyAll(kLGPrefsDomain)->dictionaryValue()) {
            other.setValue(key, nullptr, kLGPrefsDomain);
        }
        for (const auto& [key, value] : entries) other.setValue(key, value, kLGPrefsDomain);
        ASSERT_TRUE(other.synchronize(kLGPrefsDomain));
    }

    base::PlistPtr storedDomain() {
        return base::PlistValue::parse(
            readFileBytes(root.preferencesFolder() + "/" + kLGPrefsDomain + ".plist"));
    }

    std::vector<std::string> console() {
        std::lock_guard lock(consoleMutex_);
        return console_;
    }

    TestDeviceRoot root;

  private:
    std::mutex consoleMutex_;
    std::vector<std::string> console_;
};

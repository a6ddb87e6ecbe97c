#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/PropertyList.h"
#include "support/LGFormat.h"

// Shared support compiled into each deliverable: process facts, the preference store, the
// diagnostic log and the main-thread assertion. Each deliverable has its own copy and state.

// ---- Names ----

inline constexpr char kLGPrefsDomain[] = "com.velk.quorvane";
// Cross-process: posted after every publish of the domain.
inline constexpr char kLGPrefsReloadNotification[] = "com.velk.quorvane/ReloadPrefs";
// In-process: posted on the main thread after a reload caused by the cross-process notification.
inline constexpr char kLGPrefsInProcessReloadNotification[] = "com.velk.quorvane.InProcessReload";
// In-process: posted after every direct write and reset.
inline constexpr char kLGPrefsUIRefreshNotification[] = "LGPrefsUIRefreshNotification";
// The master switch, and the prefix of dynamic defaults; no reset removes them.
inline constexpr char kLGPrefsEnabledKey[] = "Quorvane.Enabled";
inline constexpr char kLGPrefsDynamicDefaultPrefix[] = "__dynamic_default.";

// ---- Process facts ----

// The main bundle's identifier, copied once on first request; "" when the process has none.
std::string LGHostBundleIdentifier();
// Whether the host is the home-screen process ("com.apple.springboard").
bool LGIsSpringBoard();
// Whether the system is 16.0.0 or later; computed once on first request.
bool LGIsModernSystem();

// ---- Cached reads (any thread) ----
//
// One immutable snapshot of the whole domain per process, loaded by the first read with a
// non-empty key, which also subscribes to the cross-process reload notification. Each reload
// replaces the snapshot whole; a read never blocks on file I/O after the first.

// Re-reads the domain into a new snapshot, on the calling thread.
void LGPrefsReload();
// Runs `block` on the main thread after every reload caused by the cross-process notification.
// The registration lasts for the life of the process. An empty block registers nothing.
void LGPrefsObserveReload(std::function<void()> block);
// The value under `key` in the current snapshot; nullptr for none or an empty key.
base::PlistPtr LGPrefsObject(std::string_view key);
// Typed reads: the caller's default for a missing value or one of another kind. Booleans,
// integers and reals are all numbers; a string is accepted only when it is not empty.
bool LGPrefsBool(std::string_view key, bool defaultValue);
double LGPrefsDouble(std::string_view key, double defaultValue);
// The fraction is cut off toward zero; a stored NaN gives the default, values beyond the 64-bit
// range saturate.
int64_t LGPrefsInteger(std::string_view key, int64_t defaultValue);
std::string LGPrefsString(std::string_view key, std::string_view defaultValue);
// LGPrefsBool("Quorvane.Enabled", true).
bool LGTweakEnabled();

// ---- Direct access (the settings page) ----
//
// Reads and writes go straight to the preference service. Each write is published to the other
// processes 80 ms after the last write of a burst, on the serial queue
// "com.velk.quorvane.prefswrite": the domain is synchronised and the cross-process reload
// notification posted.

// The service's value for `key`; `defaultValue` when the key is empty or has no value.
base::PlistPtr LGPrefsDirectValue(std::string_view key, base::PlistPtr defaultValue);
// LGPrefsDirectValue when that is a number, else `defaultValue`.
base::PlistPtr LGPrefsDirectNumber(std::string_view key, base::PlistPtr defaultValue);
// Sets (or, for a null value, removes) `key`, schedules a publish and posts the UI refresh
// notification on the calling thread. Does nothing at all for an empty key.
void LGPrefsSetValue(std::string_view key, base::PlistPtr value);
// (Re)starts the 80 ms publish timer.
void LGPrefsSchedulePublish();
// Publishes at once, cancelling a pending timer, and waits until that is done. Posts even when
// nothing changed.
void LGPrefsPublishNow();
// Publishes at once when a write still waits for its quiet period to end, and waits until that
// is done; does nothing otherwise. For a writer about to go away, so that its last change is not
// lost with it.
void LGPrefsFlushPendingPublish();
// Removes every key but the reserved ones, publishes now, posts the UI refresh notification.
void LGPrefsResetAll();
// Removes the listed keys (each once, reserved keys and empty strings skipped), publishes now and
// posts the UI refresh notification, even when nothing was removed.
void LGPrefsResetKeys(const std::vector<std::string>& keys);

// ---- Diagnostic log ----

// Writes "[Quorvane] <message>" to the console at once and appends the same line to
// "/tmp/Quorvane.log" on the serial queue "com.velk.quorvane.logfile"; the caller never waits
// for file I/O. Any thread.
void LGLogMessage(std::string_view message);

template <class... Args>
void LGLog(std::string_view format, const Args&... args) {
    LGLogMessage(LGFormat(format, args...));
}

// The verbose level: discarded, and its arguments are never formatted.
template <class... Args>
inline void LGTrace(std::string_view, const Args&...) {}

// Returns on the main thread; elsewhere reports "Quorvane main thread only" as an assertion
// failure, which ends the process.
void LGAssertMainThread();

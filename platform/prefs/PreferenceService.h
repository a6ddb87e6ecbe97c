#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/base/PropertyList.h"

namespace prefs {

// The per-user preference service: one dictionary per domain, stored as "<domain>.plist" in a
// preferences folder (the device's "/var/mobile/Library/Preferences" for the shared service).
//
// A process sees a domain through a cache. The first access reads the file; set() changes only the
// process's pending state, which reads see at once; synchronize() writes the pending changes and
// re-reads. Changes other processes make become visible at the next synchronize(), never in
// between.
//
// Synchronising merges key by key: under the domain's advisory lock it reads the file as it is
// now, applies this process's pending sets and removals on top, and replaces the file atomically
// (temporary file, flush, rename). Two processes that change different keys at the same time
// therefore both keep their key. A file that cannot be parsed reads as an empty domain and is
// set aside as "<domain>.plist.corrupt" (then ".corrupt.1", ".corrupt.2", ...) before the next
// write replaces it; the service says so on standard error. A file that cannot be read at all
// (no permission, not a regular file) also reads as an empty domain, but is never set aside or
// replaced: writes to that domain fail until it is readable again.
//
// All members may be called from any thread.
class PreferenceService {
  public:
    // The service of the current device root (base::deviceRoot()); it follows the root when the
    // root changes, keeping one cache per folder.
    static PreferenceService& shared();

    // A service over the folder `preferencesDirectory` (host path).
    explicit PreferenceService(std::string preferencesDirectory);
    ~PreferenceService();
    PreferenceService(const PreferenceService&) = delete;
    PreferenceService& operator=(const PreferenceService&) = delete;

    // The value of `key` in `domain`, pending changes included; nullptr when there is none, the
    // key is empty or the domain name is not valid.
    base::PlistPtr copyValue(std::string_view key, std::string_view domain);

    // Sets `key` to `value` in the process's pending state; a null value removes the key.
    // Ignored for an empty key or an invalid domain name.
    void setValue(std::string_view key, base::PlistPtr value, std::string_view domain);

    // Writes the pending changes (merged with what other processes wrote) and re-reads the
    // domain. Returns false when the domain name is invalid, the file could not be read or could
    // not be written; the pending changes are then kept for the next attempt and `error`, when
    // given, receives a sentence saying what went wrong.
    bool synchronize(std::string_view domain, std::string* error = nullptr);

    // Every key of `domain` with its value, pending changes included; an empty dictionary for a
    // missing, unreadable or invalid domain. Never null.
    base::PlistPtr copyAll(std::string_view domain);

    // The host path of the domain's file; empty for an invalid domain name.
    std::string pathForDomain(std::string_view domain) const;

    // Domain names are file names: non-empty, at most 200 bytes, no '/', no NUL, not "." or "..".
    static bool isValidDomainName(std::string_view domain);

  private:
    struct Domain;
    struct Impl;

    Domain* domainFor(std::string_view domain);

    std::unique_ptr<Impl> impl_;
};

}  // namespace prefs

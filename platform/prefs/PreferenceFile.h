#pragma once

#include <string>

#include "platform/base/PropertyList.h"

namespace prefs {

// One preference domain's file on disk, "<domain>.plist" in the preferences folder.
//
// Readers never lock: a writer replaces the file with rename(), so a reader sees either the whole
// old file or the whole new one. Writers serialise on an advisory lock (flock) on a companion
// file "<domain>.plist.lock"; the lock is not on the domain's file itself because every write
// replaces that file with a new inode.

struct PreferenceFileContents {
    enum class Status {
        Missing,     // no file: an empty domain
        Valid,       // a property list whose root is a dictionary
        Unreadable,  // present but corrupt, truncated, of the wrong root type, or not readable
    };
    Status status = Status::Missing;
    // The domain's dictionary; an empty dictionary unless the status is Valid. Never null.
    base::PlistPtr dictionary = base::PlistValue::emptyDictionary();
};

// Reads the file at `path`, XML or binary.
PreferenceFileContents readPreferenceFile(const std::string& path);

// The exclusive writer lock of the domain file at `path`, held while the object lives.
class PreferenceFileLock {
  public:
    // Creates the lock file if needed and waits for the lock. An invalid lock (isLocked() false)
    // means the lock file could not be opened; the caller must not write.
    explicit PreferenceFileLock(const std::string& domainPath);
    ~PreferenceFileLock();
    PreferenceFileLock(const PreferenceFileLock&) = delete;
    PreferenceFileLock& operator=(const PreferenceFileLock&) = delete;

    bool isLocked() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// With the lock held: removes temporary files that writers killed before their rename left
// behind. Any temporary file that exists while we hold the lock belongs to a dead writer.
void removeStaleTemporaryFiles(const std::string& domainPath);

// With the lock held: renames an unreadable file to "<name>.corrupt" so that the next write does
// not destroy data we could not parse. Returns false when the file could not be moved.
bool setAsideUnreadableFile(const std::string& domainPath);

// With the lock held: writes `dictionary` in binary form to a temporary file in the same folder,
// flushes it, and renames it over `domainPath`. Returns false and leaves the old file in place
// on any failure.
bool writePreferenceFileAtomically(const std::string& domainPath,
                                   const base::PlistValue& dictionary);

}  // namespace prefs

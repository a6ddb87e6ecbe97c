#pragma once

#include <cstddef>
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
        Missing,       // no file: an empty domain
        Valid,         // a property list whose root is a dictionary
        Corrupt,       // read whole, but not a property list or not a dictionary at its root
        Inaccessible,  // present but not read: no permission, not a regular file, too large, or
                       // an I/O error. Its content is unknown, so it must not be replaced.
    };
    Status status = Status::Missing;
    // The domain's dictionary; an empty dictionary unless the status is Valid. Never null.
    base::PlistPtr dictionary = base::PlistValue::emptyDictionary();
    // For Corrupt and Inaccessible: a sentence naming the file and what is wrong with it.
    std::string error;
};

// A preference file larger than this is not one the system wrote.
inline constexpr std::size_t kMaxPreferenceFileBytes = 64 * 1024 * 1024;

// Reads the file at `path`, XML or binary, without ever blocking on it.
PreferenceFileContents readPreferenceFile(const std::string& path);

// Parses the bytes of a preference file as readPreferenceFile() does (Valid or Corrupt).
PreferenceFileContents parsePreferenceFile(const std::string& path, const std::string& bytes);

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
// Temporary files are named "<name>.tmp-" followed by exactly six letters or digits; no domain's
// own file ("<domain>.plist", its ".lock" and ".corrupt" companions) can have such a name, so the
// sweep never touches another domain's files.
void removeStaleTemporaryFiles(const std::string& domainPath);

// How many set-aside copies of one domain's corrupt files are kept.
inline constexpr int kMaxCorruptCopies = 5;

// With the lock held: renames a corrupt file so that the next write does not destroy data we
// could not parse. The first copy is "<name>.corrupt", later ones "<name>.corrupt.1",
// "<name>.corrupt.2" and so on; no copy ever replaces another, and beyond kMaxCorruptCopies the
// oldest copies are removed. Returns the new path, or an empty string when the file could not be
// moved.
std::string setAsideCorruptFile(const std::string& domainPath);

// With the lock held: writes `dictionary` in binary form to a temporary file in the same folder,
// flushes it, and renames it over `domainPath`. Returns false and leaves the old file in place
// on any failure.
bool writePreferenceFileAtomically(const std::string& domainPath,
                                   const base::PlistValue& dictionary);

}  // namespace prefs

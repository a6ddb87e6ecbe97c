#include "platform/prefs/PreferenceFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/base/RegularFile.h"
#include "platform/prefs/detail/SynchronizeProbe.h"

namespace prefs {

namespace {

const char kTemporaryInfix[] = ".tmp-";
constexpr std::size_t kTemporarySuffixLength = 6;  // mkostemp's "XXXXXX"
const char kCorruptSuffix[] = ".corrupt";

bool isAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether `name` is one of our temporary files: `prefix` ("<domain>.plist.tmp-") followed by
// exactly the six letters or digits mkostemp puts in.
bool isTemporaryName(std::string_view name, const std::string& prefix) {
    if (name.size() != prefix.size() + kTemporarySuffixLength || !name.starts_with(prefix)) {
        return false;
    }
    return std::all_of(name.begin() + std::ptrdiff_t(prefix.size()), name.end(), isAlphanumeric);
}

// The number of a set-aside copy's name: 0 for "<base>.corrupt", N for "<base>.corrupt.N";
// nullopt for any other name.
std::optional<unsigned long> corruptCopyNumber(std::string_view name, const std::string& base) {
    const std::string stem = base + kCorruptSuffix;
    if (!name.starts_with(stem)) return std::nullopt;
    name.remove_prefix(stem.size());
    if (name.empty()) return 0ul;
    if (name.front() != '.' || name.size() < 2 || name.size() > 9 || name[1] == '0') {
        return std::nullopt;
    }
    unsigned long number = 0;
    for (char c : name.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + unsigned(c - '0');
    }
    return number;
}

bool isRegularEntry(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string directoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

void syncDirectory(const std::string& directory) {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

PreferenceFileContents parsePreferenceFile(const std::string& path, const std::string& bytes) {
    PreferenceFileContents contents;
    auto root = base::PlistValue::parse(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    if (root && root->isDictionary()) {
        contents.status = PreferenceFileContents::Status::Valid;
        contents.dictionary = std::move(root);
    } else {
        contents.status = PreferenceFileContents::Status::Corrupt;
        contents.error = path + (root ? " holds a property list whose root is not a dictionary"
                                      : " is not a property list");
    }
    return contents;
}

PreferenceFileContents readPreferenceFile(const std::string& path) {
    base::RegularFileError error;
    auto bytes = base::readRegularFile(path, kMaxPreferenceFileBytes, &error);
    if (!bytes) {
        PreferenceFileContents contents;
        if (error.kind != base::RegularFileError::Kind::Missing) {
            contents.status = PreferenceFileContents::Status::Inaccessible;
            contents.error = error.message;
        }
        return contents;
    }
    return parsePreferenceFile(path, *bytes);
}

PreferenceFileLock::PreferenceFileLock(const std::string& domainPath) {
    std::string lockPath = domainPath + ".lock";
    // Non-blocking, and only a regular file: a FIFO planted at the lock's path must not hang us.
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd_ < 0) return;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
}

PreferenceFileLock::~PreferenceFileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

void removeStaleTemporaryFiles(const std::string& domainPath) {
    std::string directory = directoryOf(domainPath);
    std::string prefix = baseNameOf(domainPath) + kTemporaryInfix;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return;
    std::vector<std::string> stale;
    while (dirent* entry = ::readdir(dir)) {
        if (isTemporaryName(entry->d_name, prefix)) stale.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const auto& name : stale) {
        const std::string path = directory + "/" + name;
        if (isRegularEntry(path)) ::unlink(path.c_str());
    }
}

std::string setAsideCorruptFile(const std::string& domainPath) {
    const std::string directory = directoryOf(domainPath);
    const std::string base = baseNameOf(domainPath);

    // Pass 1: the copies kept so far, oldest first.
    std::vector<unsigned long> kept;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (auto number = corruptCopyNumber(entry->d_name, base)) kept.push_back(*number);
        }
        ::closedir(dir);
    }
    std::sort(kept.begin(), kept.end());
    auto copyPath = [&](unsigned long number) {
        return domainPath + kCorruptSuffix + (number ? "." + std::to_string(number) : "");
    };

    // Pass 2: move the file under a name no copy has; never over an existing one.
    const unsigned long next = kept.empty() ? 0 : kept.back() + 1;
    const std::string target = copyPath(next);
    if (::renameat2(AT_FDCWD, domainPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) !=
        0) {
        // A file system without the flag: a hard link fails just as surely on an existing name.
        if (errno != EINVAL || ::link(domainPath.c_str(), target.c_str()) != 0) return {};
        ::unlink(domainPath.c_str());
    }
    kept.push_back(next);

    // Pass 3: drop the oldest copies beyond the limit. Only regular files are ours to remove.
    for (std::size_t i = 0; i + kMaxCorruptCopies < kept.size(); ++i) {
        const std::string old = copyPath(kept[i]);
        if (isRegularEntry(old)) ::unlink(old.c_str());
    }
    return target;
}

bool writePreferenceFileAtomically(const std::string& domainPath,
                                   const base::PlistValue& dictionary) {
    std::vector<uint8_t> bytes = dictionary.serialize(base::PlistFormat::Binary);
    if (bytes.empty()) return false;

    std::string pattern = domainPath + kTemporaryInfix + "XXXXXX";
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok =
        ::fchmod(fd, 0600) == 0 && writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(pattern.c_str());
        return false;
    }
    detail::runSynchronizeProbe(detail::SynchronizeStage::TemporaryWritten);
    if (::rename(pattern.c_str(), domainPath.c_str()) != 0) {
        ::unlink(pattern.c_str());
        return false;
    }
    syncDirectory(directoryOf(domainPath));
    detail::runSynchronizeProbe(detail::SynchronizeStage::Replaced);
    return true;
}

}  // namespace prefs

#include "platform/prefs/PreferenceFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/prefs/detail/SynchronizeProbe.h"

namespace prefs {

namespace {

// A preference file larger than this is not one the system wrote.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

const char kTemporaryInfix[] = ".tmp-";

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

PreferenceFileContents readPreferenceFile(const std::string& path) {
    PreferenceFileContents contents;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        contents.status = errno == ENOENT ? PreferenceFileContents::Status::Missing
                                          : PreferenceFileContents::Status::Unreadable;
        return contents;
    }
    contents.status = PreferenceFileContents::Status::Unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
        ::close(fd);
        return contents;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(info.st_size));
    uint8_t buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return contents;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > size_t(kMaxFileSize)) {
            ::close(fd);
            return contents;
        }
    }
    ::close(fd);
    auto root = base::PlistValue::parse(bytes);
    if (root && root->isDictionary()) {
        contents.status = PreferenceFileContents::Status::Valid;
        contents.dictionary = std::move(root);
    }
    return contents;
}

PreferenceFileLock::PreferenceFileLock(const std::string& domainPath) {
    std::string lockPath = domainPath + ".lock";
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
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
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) {
            stale.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    for (const auto& name : stale) ::unlink((directory + "/" + name).c_str());
}

bool setAsideUnreadableFile(const std::string& domainPath) {
    return ::rename(domainPath.c_str(), (domainPath + ".corrupt").c_str()) == 0;
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

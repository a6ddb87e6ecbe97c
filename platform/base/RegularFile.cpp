#include "platform/base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace base {

namespace {

const char* kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "not a plain file";
}

std::optional<std::string> fail(RegularFileError* error, RegularFileError::Kind kind,
                                std::string message) {
    if (error) *error = {kind, std::move(message)};
    return std::nullopt;
}

}  // namespace

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes,
                                           RegularFileError* error) {
    using Kind = RegularFileError::Kind;
    if (path.empty()) return fail(error, Kind::Missing, "an empty path names no file");
    // O_NONBLOCK makes opening a FIFO return at once instead of waiting for a writer; it has no
    // effect on a regular file, which is all we go on to read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int code = errno;
        const std::string reason = path + ": " + std::strerror(code);
        if (code == ENOENT || code == ENOTDIR) return fail(error, Kind::Missing, reason);
        if (code == EACCES || code == EPERM) return fail(error, Kind::NotPermitted, reason);
        if (code == EISDIR) {
            return fail(error, Kind::NotRegular, path + ": not a regular file (a directory)");
        }
        return fail(error, Kind::ReadFailed, reason);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(error, Kind::ReadFailed, path + ": " + std::strerror(code));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(error, Kind::NotRegular,
                    path + ": not a regular file (" + kindOfFile(info.st_mode) + ")");
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        ::close(fd);
        return fail(error, Kind::TooLarge,
                    path + ": too large (" + std::to_string(info.st_size) + " bytes, at most " +
                        std::to_string(maxBytes) + ")");
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int code = errno;
            ::close(fd);
            return fail(error, Kind::ReadFailed, path + ": " + std::strerror(code));
        }
        if (n == 0) break;
        // The file may grow while we read it; the limit holds for what we take, not for what
        // the size said.
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            return fail(error, Kind::TooLarge,
                        path + ": too large (more than " + std::to_string(maxBytes) + " bytes)");
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace base

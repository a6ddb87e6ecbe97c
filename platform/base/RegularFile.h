#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace base {

// Reading files that come from outside the program.
//
// Every file this system reads (preference files, images, fonts, scripts, bundle descriptions)
// may have been put there by someone else, so reading one must never block and never take more
// than the caller can hold: the file is opened without blocking (a FIFO or a device would
// otherwise wait for a writer forever), refused unless it is a regular file, and refused when
// it is larger than `maxBytes`.

struct RegularFileError {
    enum class Kind {
        Missing,       // nothing at the path (ENOENT or ENOTDIR)
        NotPermitted,  // the file exists but this user may not read it
        NotRegular,    // a directory, FIFO, socket or device
        TooLarge,      // larger than the caller's limit
        ReadFailed,    // any other open or read error
    };
    Kind kind = Kind::ReadFailed;
    // The path and what was wrong with it, e.g. "/x/a.plist: not a regular file (a FIFO)", to
    // follow words such as "cannot read ".
    std::string message;
};

// The whole content of the regular file at `path`; nullopt with `error` set (when given) when
// the file is missing, cannot be read, is not a regular file or holds more than `maxBytes`.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes,
                                           RegularFileError* error = nullptr);

// Whether `path` names a regular file (symbolic links followed), without opening it.
bool isRegularFile(const std::string& path);

}  // namespace base

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/base/PropertyList.h"

// The arguments of `quorvane defaults`, checked before anything is read or written.
struct DefaultsRequest {
    enum class Verb { Read, Write, Delete, Help, Version };
    Verb verb = Verb::Help;
    std::string domain;
    std::optional<std::string> key;  // read and delete: absent for the whole domain
    base::PlistPtr value;            // write only
    std::optional<std::string> notifyName;
};

// The outcome of parsing: a request, or a usage error with a sentence saying what was wrong.
struct DefaultsParse {
    std::optional<DefaultsRequest> request;
    std::string error;  // empty when the problem is only the shape: show the usage
};

// Parses `args` (the words after "defaults"). It touches no file and no process state, so any
// input at all is safe to give it.
DefaultsParse parseDefaultsArguments(const std::vector<std::string>& args);

// The usage text, ending with a line feed.
extern const char kDefaultsUsageText[];

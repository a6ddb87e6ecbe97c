#pragma once

#include <string>

namespace runtime::detail {

// Writes "[runtime] <message>" to standard error the first time this exact message is reported
// in the process; repeats are dropped so that a fault inside a per-frame path does not flood.
void reportOnce(const std::string& message);

}  // namespace runtime::detail

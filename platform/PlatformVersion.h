#pragma once

namespace platform {

// The platform stand-in's own version text, for --version output.
const char* version();

}  // namespace platform

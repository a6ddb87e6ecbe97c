#include "platform/PlatformVersion.h"

namespace platform {

const char* version() {
    return "0.1.0";
}

}  // namespace platform

#pragma once

namespace lg::detail {

// Detaches the clock's record and forgets the busy deadline, as in a new process.
void resetClockTickForTesting();

}  // namespace lg::detail
